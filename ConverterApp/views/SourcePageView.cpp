#include "SourcePageView.h"

#include <QHelpEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QProgressBar>
#include <QTextDocument>
#include <QToolTip>

#include "PageGeometry.h"
#include "RegionLabels.h"
#include "RegionLink.h"
#include "SourcePageAccessibility.h"
#include "ViewStyle.h"
#include "session/Paths.h"

SourcePageView::SourcePageView(RegionLink* link, QWidget* parent)
    : QWidget(parent), link_(link), spinner_(new QProgressBar(this)) {
    SourcePageAccessibility::install();
    setMouseTracking(true);
    setMinimumSize(60, 60);
    spinner_->setRange(0, 0);
    spinner_->setTextVisible(false);
    spinner_->setFixedSize(120, 6);
    rewatch_.setInterval(250);
    connect(&rewatch_, &QTimer::timeout, this, &SourcePageView::fileChanged);
    connect(&watcher_, &QFileSystemWatcher::fileChanged, this, &SourcePageView::fileChanged);
    connect(link_, &RegionLink::hoveredChanged, this, qOverload<>(&QWidget::update));
    connect(link_, &RegionLink::selectedChanged, this, qOverload<>(&QWidget::update));
}

namespace {

// The path as Qt's file classes name it; empty when that name would not reach the same file.
QString watchablePath(const std::filesystem::path& path) {
    const QString name = session::Paths::fromPath(path);
    return session::Paths::toPath(name) == path ? name : QString();
}

bool fileExists(const std::filesystem::path& path) {
    std::error_code error;
    return std::filesystem::exists(path, error);
}

}  // namespace

void SourcePageView::setSource(const std::filesystem::path& path, int pageIndex, const ce::ConvertedPage* page) {
    if (page) {
        ce::ConvertedPage light;
        light.index = page->index;
        light.width = page->width;
        light.height = page->height;
        light.deskewDegrees = page->deskewDegrees;
        light.regions = page->regions;
        page_ = std::move(light);
    } else {
        page_.reset();
    }
    under_.clear();
    if (path != path_) {
        if (!watcher_.files().isEmpty()) watcher_.removePaths(watcher_.files());
        path_ = path;
        const QString watched = watchablePath(path_);
        if (!watched.isEmpty() && fileExists(path_)) watcher_.addPath(watched);
    }
    pageIndex_ = pageIndex;
    load();
    update();
}

void SourcePageView::setShowRegions(bool show) {
    showRegions_ = show;
    under_.clear();
    update();
}

void SourcePageView::load() {
    const QString key = PageRenderer::cacheKey(path_, pageIndex_);
    if (key == key_ && !isLoading()) return;
    key_ = key;
    image_ = QImage();
    loadFailed_ = false;
    if (ticket_) ticket_->store(true);
    spinner_->show();
    ticket_ = PageRenderer::shared().request(path_, pageIndex_, this, [this](const QString& key, const QImage& image) {
        if (key != key_) return;  // an earlier page or an older version of the file
        image_ = image;
        loadFailed_ = image.isNull();
        spinner_->hide();
        update();
        emit imageLoaded();
    });
    update();
}

void SourcePageView::fileChanged() {
    if (!fileExists(path_)) {
        rewatch_.start();  // replaced by a rename: the new file is not there yet
        return;
    }
    rewatch_.stop();
    const QString watched = watchablePath(path_);
    if (!watched.isEmpty() && !watcher_.files().contains(watched)) watcher_.addPath(watched);
    load();
}

QRectF SourcePageView::pageRect() const {
    const QSizeF available(std::max(0, width() - 2 * padding), std::max(0, height() - 2 * padding));
    std::optional<QSizeF> pixels;
    if (!image_.isNull()) pixels = QSizeF(image_.size());
    const QSizeF fitted =
        PageGeometry::fittedSize(available, PageGeometry::aspectRatio(page_ ? &*page_ : nullptr, pixels));
    return {padding + (available.width() - fitted.width()) / 2, padding + (available.height() - fitted.height()) / 2,
            fitted.width(), fitted.height()};
}

bool SourcePageView::overlayShown() const {
    return showRegions_ && page_ && !image_.isNull() && page_->width > 0 && page_->height > 0;
}

std::vector<int> SourcePageView::regionsAt(QPointF point) const {
    if (!overlayShown()) return {};
    const QRectF r = pageRect();
    return PageGeometry::regionsAt(*page_, r.size(), point - r.topLeft());
}

void SourcePageView::updatePointer(std::optional<QPointF> point) {
    std::set<int> now;
    if (point)
        for (int id : regionsAt(*point)) now.insert(id);
    // Leaving first, then entering: moving from one box into an overlapping one and
    // then out of the first keeps the second hovered.
    for (int id : under_)
        if (!now.count(id)) link_->leave(id);
    for (const ce::LayoutRegion& region : page_ ? page_->regions : std::vector<ce::LayoutRegion>{})
        if (now.count(region.id) && !under_.count(region.id)) link_->enter(region.id);
    under_ = std::move(now);
}

std::optional<int> SourcePageView::selectedRegion() const { return link_->selected(); }

void SourcePageView::selectRegion(int id) { link_->select(id); }

void SourcePageView::mouseMoveEvent(QMouseEvent* e) { updatePointer(e->position()); }

void SourcePageView::leaveEvent(QEvent*) { updatePointer(std::nullopt); }

void SourcePageView::mousePressEvent(QMouseEvent* e) {
    if (e->button() != Qt::LeftButton) return;
    const std::vector<int> ids = regionsAt(e->position());
    if (!ids.empty()) link_->select(ids.back());
}

bool SourcePageView::event(QEvent* e) {
    if (e->type() == QEvent::ToolTip) {
        auto* help = static_cast<QHelpEvent*>(e);
        const std::vector<int> ids = regionsAt(help->pos());
        QString text;
        if (!ids.empty())
            for (const ce::LayoutRegion& region : page_->regions)
                if (region.id == ids.back()) text = RegionLabels::tooltip(region, *page_);
        if (text.isEmpty()) QToolTip::hideText();
        else QToolTip::showText(help->globalPos(), Qt::convertFromPlainText(text, Qt::WhiteSpaceNoWrap), this);
        return true;
    }
    return QWidget::event(e);
}

void SourcePageView::resizeEvent(QResizeEvent*) {
    spinner_->move((width() - spinner_->width()) / 2, (height() - spinner_->height()) / 2);
}

void SourcePageView::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), ViewStyle::underPageBackground());
    if (image_.isNull()) {
        if (loadFailed_) {
            p.setPen(ViewStyle::secondaryText());
            p.setFont(ViewStyle::font(ViewStyle::TextStyle::title3, QFont::DemiBold));
            const QIcon icon = ViewStyle::standardIcon(QStyle::SP_MessageBoxWarning);
            const QRect iconRect(width() / 2 - 16, height() / 2 - 40, 32, 32);
            icon.paint(&p, iconRect);
            p.drawText(QRect(0, height() / 2, width(), 30), Qt::AlignHCenter | Qt::AlignTop, tr("No preview"));
        }
        return;
    }
    const QRectF page = pageRect();
    p.setRenderHint(QPainter::Antialiasing);
    for (int i = 4; i >= 1; --i)  // a soft shadow, black at 0.18 overall, 1 point down
        p.fillRect(page.translated(0, 1).adjusted(-i, -i, i, i), QColor(0, 0, 0, static_cast<int>(0.18 * 255 / 6)));
    p.fillRect(page, Qt::white);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    p.drawImage(page, image_);
    if (!overlayShown()) return;

    p.save();
    p.translate(page.topLeft());
    p.setTransform(PageGeometry::overlayTransform(*page_, page.size()), true);
    for (const ce::LayoutRegion& region : page_->regions) {
        const bool highlighted = link_->hovered() == region.id || link_->selected() == region.id;
        const PageGeometry::BoxStyle s = PageGeometry::boxStyle(region, *page_, page.size(), highlighted);
        const QColor c = RegionLabels::color(region.label);
        p.fillRect(s.rect, ViewStyle::withOpacity(c, s.fillOpacity));
        QPen pen(ViewStyle::withOpacity(c, s.borderOpacity), s.lineWidth, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin);
        pen.setMiterLimit(10);
        // Qt's dash lengths are in units of the pen width: 4 and 3 points at width 1.
        if (s.dashed) pen.setDashPattern({4 / s.lineWidth, 3 / s.lineWidth});
        p.setPen(pen);
        p.setBrush(Qt::NoBrush);
        const double inset = s.lineWidth / 2;
        p.drawRect(s.rect.adjusted(inset, inset, -inset, -inset));
    }
    p.restore();
}
