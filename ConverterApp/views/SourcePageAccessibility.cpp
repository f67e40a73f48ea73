#include "SourcePageAccessibility.h"

#include <QAccessibleActionInterface>
#include <QAccessibleWidget>
#include <QPointer>

#include "PageGeometry.h"
#include "RegionLabels.h"
#include "SourcePageView.h"

namespace SourcePageAccessibility {

namespace {

// One region box, found again by its position in the page's regions each time it is
// asked, so that it never outlives what it describes: a box that is gone reports
// itself invalid.
class RegionBox : public QAccessibleInterface, public QAccessibleActionInterface {
public:
    RegionBox(SourcePageView* view, int index) : view_(view), index_(index) {}

    bool isValid() const override { return view_ && region() != nullptr; }
    QObject* object() const override { return nullptr; }
    QWindow* window() const override { return view_ ? view_->window()->windowHandle() : nullptr; }
    QAccessibleInterface* parent() const override { return view_ ? QAccessible::queryAccessibleInterface(view_) : nullptr; }
    QAccessibleInterface* child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }
    QString text(QAccessible::Text t) const override {
        const ce::LayoutRegion* r = region();
        if (!r) return {};
        if (t == QAccessible::Name) return RegionLabels::displayName(r->label);
        if (t == QAccessible::Description) return RegionLabels::tooltip(*r, *view_->shownPage());
        return {};
    }
    void setText(QAccessible::Text, const QString&) override {}
    QRect rect() const override {
        const ce::LayoutRegion* r = region();
        if (!r) return {};
        const QRectF page = view_->pageRect();
        const QRectF box = PageGeometry::boxStyle(*r, *view_->shownPage(), page.size(), false).rect;
        const QRectF turned = PageGeometry::overlayTransform(*view_->shownPage(), page.size()).mapRect(box);
        return QRect(view_->mapToGlobal(turned.translated(page.topLeft()).topLeft().toPoint()), turned.size().toSize());
    }
    QAccessible::Role role() const override { return QAccessible::Button; }
    QAccessible::State state() const override {
        QAccessible::State s;
        const ce::LayoutRegion* r = region();
        s.selected = r && view_->selectedRegion() == r->id;
        s.selectable = true;
        return s;
    }
    void* interface_cast(QAccessible::InterfaceType type) override {
        return type == QAccessible::ActionInterface ? static_cast<QAccessibleActionInterface*>(this) : nullptr;
    }

    QStringList actionNames() const override { return {pressAction()}; }
    void doAction(const QString& name) override {
        const ce::LayoutRegion* r = region();
        if (r && name == pressAction()) view_->selectRegion(r->id);
    }
    QStringList keyBindingsForAction(const QString&) const override { return {}; }

private:
    const ce::LayoutRegion* region() const {
        if (!view_ || !view_->overlayShown()) return nullptr;
        const auto& regions = view_->shownPage()->regions;
        return index_ < static_cast<int>(regions.size()) ? &regions[static_cast<std::size_t>(index_)] : nullptr;
    }

    QPointer<SourcePageView> view_;
    int index_;
};

class SourcePageInterface : public QAccessibleWidget {
public:
    explicit SourcePageInterface(SourcePageView* view) : QAccessibleWidget(view, QAccessible::Graphic) {}
    ~SourcePageInterface() override {
        for (QAccessible::Id id : boxes_)
            if (id) QAccessible::deleteAccessibleInterface(id);
    }

    int childCount() const override { return view()->overlayShown() ? static_cast<int>(view()->shownPage()->regions.size()) : 0; }
    QAccessibleInterface* child(int index) const override {
        if (index < 0 || index >= childCount()) return nullptr;
        auto& boxes = const_cast<SourcePageInterface*>(this)->boxes_;
        if (static_cast<int>(boxes.size()) <= index) boxes.resize(static_cast<std::size_t>(index) + 1, 0);
        QAccessible::Id& id = boxes[static_cast<std::size_t>(index)];
        if (QAccessibleInterface* existing = id ? QAccessible::accessibleInterface(id) : nullptr) return existing;
        QAccessibleInterface* box = new RegionBox(view(), index);
        id = QAccessible::registerAccessibleInterface(box);
        return box;
    }
    int indexOfChild(const QAccessibleInterface* child) const override {
        for (int i = 0; i < childCount(); ++i)
            if (this->child(i) == child) return i;
        return -1;
    }
    QString text(QAccessible::Text t) const override {
        return t == QAccessible::Name ? SourcePageView::tr("Source page") : QAccessibleWidget::text(t);
    }

private:
    SourcePageView* view() const { return static_cast<SourcePageView*>(widget()); }
    std::vector<QAccessible::Id> boxes_;
};

QAccessibleInterface* factory(const QString& className, QObject* object) {
    if (className == QLatin1String("SourcePageView") && object && object->isWidgetType())
        return new SourcePageInterface(static_cast<SourcePageView*>(object));
    return nullptr;
}

}  // namespace

void install() {
    static const bool installed = [] {
        QAccessible::installFactory(factory);
        return true;
    }();
    (void)installed;
}

}  // namespace SourcePageAccessibility
