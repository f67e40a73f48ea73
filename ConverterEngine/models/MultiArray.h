// A typed n-dimensional array as models take and give it: element type, shape,
// strides (in elements) and a pointer to the first element, kept alive by `owner`.
// Arrays made here are row-major; arrays a model returns may have any strides.
// floatValues() is the one way model outputs are read: the elements in logical
// row-major order as 32-bit floats, whatever the element type and strides.
#pragma once

#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

namespace ce {

enum class ElementType { float16, float32, float64, int32, int64, uint8, boolean };

std::string_view elementTypeName(ElementType type);

struct MultiArray {
    ElementType type = ElementType::float32;
    std::vector<std::int64_t> shape;
    std::vector<std::int64_t> strides;   // in elements, one per dimension
    const void* data = nullptr;          // the element at index (0, ..., 0)
    std::shared_ptr<const void> owner;   // keeps `data` alive; shared by copies

    // The product of the shape (1 for an empty shape, which holds one element).
    std::int64_t count() const;
    // True when `strides` are the row-major strides of `shape`.
    bool isContiguous() const;
    std::vector<float> floatValues() const;

    // Row-major arrays owning a copy of `values`; the count must match the shape.
    static MultiArray fromFloats(std::vector<std::int64_t> shape, std::vector<float> values);
    static MultiArray fromInt32s(std::vector<std::int64_t> shape, std::vector<std::int32_t> values);
    static MultiArray fromBytes(std::vector<std::int64_t> shape, std::vector<std::uint8_t> values);

    static std::vector<std::int64_t> rowMajorStrides(const std::vector<std::int64_t>& shape);
};

}  // namespace ce
