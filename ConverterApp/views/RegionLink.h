// The two region ids the preview shares between the source page and the output:
// the region under the pointer and the selected region. Entering a box or an element
// sets `hovered`; leaving clears it only when it still holds that id, so leaving one
// never clears what another has set; a click sets `selected`; turning the page
// clears both. Main thread only.
#pragma once

#include <QObject>
#include <optional>

class RegionLink : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    std::optional<int> hovered() const { return hovered_; }
    std::optional<int> selected() const { return selected_; }
    // The id the output highlights: the hovered one, else the selected one.
    std::optional<int> active() const { return hovered_ ? hovered_ : selected_; }

    void enter(int id);
    void leave(int id);
    void select(int id);
    void clear();

signals:
    void hoveredChanged();
    void selectedChanged();

private:
    std::optional<int> hovered_;
    std::optional<int> selected_;
};
