// The source page, fitted into the pane, with the regions the conversion found drawn
// over it. Pointing at a box hovers its region and clicking selects it, through the
// shared RegionLink; furniture regions are faint and dashed. The boxes turn by the
// page's deskew angle about the page's centre while the image stays.
//
// The image comes from the shared PageRenderer, keyed by file, page and file stamp:
// a new key shows the loading state until its image arrives, a late image of an
// earlier key is dropped, and a file changed on disk (also when it is replaced by a
// rename) is loaded again while the view stays open. The file is named by its bytes, so
// a name that is not valid UTF-8 is drawn too (Qt's file watcher cannot name such a file,
// so it alone is not loaded again when it changes).
#pragma once

#include <QFileSystemWatcher>
#include <QImage>
#include <QTimer>
#include <QWidget>
#include <filesystem>
#include <optional>
#include <set>

#include "EngineTypes.h"
#include "PageRenderer.h"

class QProgressBar;
class RegionLink;

class SourcePageView : public QWidget {
    Q_OBJECT
public:
    static constexpr int padding = 16;

    explicit SourcePageView(RegionLink* link, QWidget* parent = nullptr);

    // The file, its page, and that page's conversion (null when not converted).
    void setSource(const std::filesystem::path& path, int pageIndex, const ce::ConvertedPage* page);
    void setShowRegions(bool show);

    bool isLoading() const { return image_.isNull() && !loadFailed_; }
    bool loadFailed() const { return loadFailed_; }
    const QImage& image() const { return image_; }
    const QString& currentKey() const { return key_; }
    // Where the fitted page stands in the widget.
    QRectF pageRect() const;
    // The ids of the boxes under a widget point, topmost last (none while the boxes are hidden).
    std::vector<int> regionsAt(QPointF point) const;
    // Whether the boxes are drawn: regions on, a converted page, and its image loaded.
    bool overlayShown() const;
    // The converted page's size, regions and deskew angle (null when not converted).
    const ce::ConvertedPage* shownPage() const { return page_ ? &*page_ : nullptr; }
    std::optional<int> selectedRegion() const;
    // Selects a region as a click on its box does (for accessibility).
    void selectRegion(int id);

signals:
    // The image for the current key arrived (or failed).
    void imageLoaded();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    bool event(QEvent* event) override;

private:
    void load();
    void fileChanged();
    void updatePointer(std::optional<QPointF> point);

    RegionLink* link_;
    std::filesystem::path path_;
    int pageIndex_ = 0;
    std::optional<ce::ConvertedPage> page_;  // size, regions and deskew only
    bool showRegions_ = true;
    QString key_;
    QImage image_;
    bool loadFailed_ = false;
    PageRenderer::Ticket ticket_;
    std::set<int> under_;  // boxes the pointer is inside
    QFileSystemWatcher watcher_;
    QTimer rewatch_;  // re-adds the watch once a replaced file is back
    QProgressBar* spinner_;
};
