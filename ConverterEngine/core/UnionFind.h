// Union-find over the positions 0..n-1 of a list: unite joins two positions'
// groups, components lists the groups. Path halving and the smaller root kept on a
// union, so every root is its group's smallest position. A plain value; not shared
// between threads.
#pragma once

#include <cstddef>
#include <map>
#include <numeric>
#include <utility>
#include <vector>

namespace ce {

class UnionFind {
public:
    explicit UnionFind(std::size_t n) : parent_(n) { std::iota(parent_.begin(), parent_.end(), std::size_t{0}); }

    std::size_t find(std::size_t i) {
        while (parent_[i] != i) i = parent_[i] = parent_[parent_[i]];
        return i;
    }

    void unite(std::size_t a, std::size_t b) {
        a = find(a);
        b = find(b);
        if (a != b) parent_[std::max(a, b)] = std::min(a, b);
    }

    // The groups ordered by their smallest position, positions ascending.
    std::vector<std::vector<std::size_t>> components() {
        std::map<std::size_t, std::vector<std::size_t>> byRoot;
        for (std::size_t i = 0; i < parent_.size(); ++i) byRoot[find(i)].push_back(i);
        std::vector<std::vector<std::size_t>> out;
        out.reserve(byRoot.size());
        for (auto& [root, members] : byRoot) out.push_back(std::move(members));
        return out;
    }

private:
    std::vector<std::size_t> parent_;
};

}  // namespace ce
