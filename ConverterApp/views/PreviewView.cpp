#include "PreviewView.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QShortcut>
#include <QStackedWidget>
#include <QToolButton>
#include <QVBoxLayout>

#include "EmptyStateView.h"
#include "RawOutputView.h"
#include "RegionLegend.h"
#include "RegionLink.h"
#include "RenderedOutputView.h"
#include "SourcePageView.h"
#include "SplitPane.h"
#include "ViewStyle.h"
#include "output/ResultExport.h"
#include "session/ConversionSession.h"
#include "session/Paths.h"
#include "session/Settings.h"

// The legend's place in the toolbar: it takes the width left and shows the largest
// legend that fits it (six kinds, three, or none). It keeps that width also while it
// shows nothing, so the page controls stay together at the left.
class LegendSlot : public QWidget {
public:
    explicit LegendSlot(QWidget* parent) : QWidget(parent), legend_(new RegionLegend(this)) {
        setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
        setMinimumWidth(0);
    }

    void setPage(const ce::ConvertedPage* page) {
        page_ = page;
        fit();
    }
    const RegionLegend* legend() const { return page_ && legend_->limit() > 0 ? legend_ : nullptr; }
    QSize sizeHint() const override { return {0, legend_->sizeHint().height()}; }

protected:
    void resizeEvent(QResizeEvent*) override { fit(); }

private:
    void fit() {
        const int limit = page_ ? LegendFit::fittingLimit(width(), [this](int l) { return legend_->widthFor(*page_, l); }) : 0;
        legend_->setPage(limit > 0 ? page_ : nullptr, limit);
        // The help text names every kind on the page, also when fewer are shown.
        setToolTip(legend_->toolTip());
        legend_->setVisible(limit > 0);
        legend_->resize(legend_->sizeHint());
        legend_->move(0, (height() - legend_->height()) / 2);
    }

    RegionLegend* legend_;
    const ce::ConvertedPage* page_ = nullptr;
};

namespace {

QToolButton* toolButton(QWidget* parent, bool left, const QString& help) {
    auto* button = new QToolButton(parent);
    button->setIcon(ViewStyle::chevronIcon(left));
    button->setAutoRaise(true);
    button->setToolTip(help);
    button->setAccessibleName(help);
    button->setFocusPolicy(Qt::TabFocus);
    return button;
}

QToolButton* segment(QWidget* parent, const QString& text) {
    auto* button = new QToolButton(parent);
    button->setText(text);
    button->setCheckable(true);
    button->setToolButtonStyle(Qt::ToolButtonTextOnly);
    button->setFocusPolicy(Qt::TabFocus);
    // The chosen view is filled with the accent colour; a focused segment takes an accent frame.
    button->setStyleSheet(
        QStringLiteral("QToolButton { border: 1px solid #c4c4c8; padding: 2px 8px; background: #fbfbfb; }"
                       "QToolButton:checked { background: palette(highlight); color: palette(highlighted-text); "
                       "border-color: palette(highlight); }"
                       "QToolButton:focus { border: 2px solid palette(highlight); padding: 1px 7px; }"
                       "QToolButton:checked:focus { border: 2px solid palette(dark); }"));
    return button;
}

}  // namespace

PreviewView::PreviewView(session::DocumentItemPtr item, ce::OutputFormat format, session::ConversionSession* session,
                         session::Settings* settings, QWidget* parent)
    : QWidget(parent), item_(std::move(item)), format_(format), session_(session), settings_(settings),
      link_(new RegionLink(this)) {
    auto* toolbar = new QWidget(this);
    auto* bar = new QHBoxLayout(toolbar);
    bar->setContentsMargins(12, 7, 12, 7);
    bar->setSpacing(12);

    auto* pages = new QHBoxLayout;
    pages->setSpacing(4);
    previous_ = toolButton(toolbar, true, tr("Previous page"));
    next_ = toolButton(toolbar, false, tr("Next page"));
    pageLabel_ = new QLabel(toolbar);
    pageLabel_->setTextFormat(Qt::PlainText);
    pageLabel_->setMinimumWidth(100);
    pageLabel_->setAlignment(Qt::AlignCenter);
    pages->addWidget(previous_);
    pages->addWidget(pageLabel_);
    pages->addWidget(next_);
    bar->addLayout(pages);

    regions_ = new QCheckBox(tr("Show regions"), toolbar);
    regions_->setFocusPolicy(Qt::TabFocus);
    bar->addWidget(regions_);
    legendSlot_ = new LegendSlot(toolbar);
    bar->addWidget(legendSlot_, 1);

    auto* choice = new QHBoxLayout;
    choice->setSpacing(0);
    renderedOption_ = segment(toolbar, tr("Preview"));
    rawOption_ = segment(toolbar, PreviewRules::rawOptionTitle(format_));
    auto* group = new QButtonGroup(this);
    group->setExclusive(true);
    group->addButton(renderedOption_);
    group->addButton(rawOption_);
    renderedOption_->setChecked(true);
    choice->addWidget(renderedOption_);
    choice->addWidget(rawOption_);
    bar->addLayout(choice);

    auto* divider = new QFrame(this);
    divider->setFixedHeight(1);
    divider->setAutoFillBackground(true);
    QPalette dp = divider->palette();
    dp.setColor(QPalette::Window, ViewStyle::separator());
    divider->setPalette(dp);

    source_ = new SourcePageView(link_);
    output_ = new QStackedWidget;
    rendered_ = new RenderedOutputView(link_);
    raw_ = new RawOutputView;
    status_ = new EmptyStateView;
    output_->addWidget(rendered_);
    output_->addWidget(raw_);
    output_->addWidget(status_);
    split_ = new SplitPane(source_, output_, minPaneWidth, this);
    split_->setFraction(settings_->previewSplit());

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(toolbar);
    layout->addWidget(divider);
    layout->addWidget(split_, 1);

    connect(previous_, &QToolButton::clicked, this, &PreviewView::previousPage);
    connect(next_, &QToolButton::clicked, this, &PreviewView::nextPage);
    for (auto [key, turn] : {std::pair{Qt::Key_Left, &PreviewView::previousPage}, std::pair{Qt::Key_Right, &PreviewView::nextPage}}) {
        auto* shortcut = new QShortcut(QKeySequence(key), this);
        shortcut->setContext(Qt::WindowShortcut);
        connect(shortcut, &QShortcut::activated, this, turn);
    }
    connect(regions_, &QCheckBox::toggled, settings_, &session::Settings::setShowRegions);
    connect(rawOption_, &QToolButton::toggled, this, &PreviewView::setShowText);
    connect(split_, &SplitPane::fractionChanged, settings_, &session::Settings::setPreviewSplit);
    connect(settings_, &session::Settings::previewSplitChanged, this,
            [this] { split_->setFraction(settings_->previewSplit()); });
    connect(settings_, &session::Settings::showRegionsChanged, this, &PreviewView::refresh);
    connect(settings_, &session::Settings::csvSeparatorChanged, this, [this] {
        shownPage_ = nullptr;
        refreshOutput();
    });
    connect(settings_, &session::Settings::scanLanguageChanged, this, &PreviewView::refreshConvertButtons);
    connect(status_, &EmptyStateView::actionTriggered, this, &PreviewView::startConversion);
    for (auto signal : {&session::DocumentItem::pageCountChanged, &session::DocumentItem::stateChanged,
                        &session::DocumentItem::resultChanged, &session::DocumentItem::failedPagesRetriedChanged})
        connect(item_.get(), signal, this, [this] {
            shownPage_ = nullptr;
            refresh();
        });
    if (session_) {
        connect(session_, &session::ConversionSession::isConvertingChanged, this, &PreviewView::refreshConvertButtons);
        connect(session_, &session::ConversionSession::itemsChanged, this, &PreviewView::refreshConvertButtons);
    }
    refresh();
}

void PreviewView::setFormat(ce::OutputFormat format) {
    if (format == format_) return;
    format_ = format;
    rawOption_->setText(PreviewRules::rawOptionTitle(format_));
    refresh();
}

PreviewRules::PageNavigation PreviewView::navigation() const {
    return {pageIndex_, PreviewRules::pageCount(item_->pageCount())};
}

void PreviewView::setPageIndex(int index) {
    const PreviewRules::PageNavigation nav = navigation();
    if (index < 0 || index >= nav.count || index == pageIndex_) return;
    pageIndex_ = index;
    link_->clear();
    refresh();
}

void PreviewView::previousPage() { setPageIndex(navigation().previous()); }
void PreviewView::nextPage() { setPageIndex(navigation().next()); }

void PreviewView::setShowText(bool showText) {
    if (showText == showText_) return;
    showText_ = showText;
    (showText ? rawOption_ : renderedOption_)->setChecked(true);
    refreshOutput();
}

void PreviewView::switchOutputView() {
    if (PreviewRules::offersOutputChoice(currentPage(), format_)) setShowText(!showText_);
}

const ce::ConvertedPage* PreviewView::currentPage() const {
    return PreviewRules::currentPage(item_->result().get(), pageIndex_);
}

const RegionLegend* PreviewView::legend() const { return legendSlot_->legend(); }

void PreviewView::refresh() {
    const PreviewRules::PageNavigation nav = navigation();
    if (pageIndex_ >= nav.count) pageIndex_ = nav.count - 1;
    pageLabel_->setText(PreviewRules::pageLabel(navigation()));
    previous_->setEnabled(navigation().canGoPrevious());
    next_->setEnabled(navigation().canGoNext());

    const ce::ConvertedPage* page = currentPage();
    const bool showRegions = settings_->showRegions();
    {
        const QSignalBlocker block(regions_);
        regions_->setChecked(showRegions);
    }
    regions_->setEnabled(page != nullptr);
    legendSlot_->setPage(showRegions ? page : nullptr);
    const bool choice = PreviewRules::offersOutputChoice(page, format_);
    renderedOption_->setVisible(choice);
    rawOption_->setVisible(choice);

    source_->setSource(session::Paths::toPath(item_->url()), pageIndex_, page);
    source_->setShowRegions(showRegions);
    refreshOutput();
    emit navigationChanged();
}

std::string PreviewView::baseName() const {
    if (session_)
        if (const std::optional<QString> name = session_->exportBaseName(*item_)) return name->toStdString();
    return QFileInfo(item_->url().toLocalFile()).completeBaseName().toStdString();
}

void PreviewView::refreshOutput() {
    using Pane = PreviewRules::Pane;
    const ce::ConvertedPage* page = currentPage();
    pane_ = PreviewRules::pane(page, showText_, format_, item_->state());
    switch (pane_) {
    case Pane::rendered:
        if (shownPage_ != page || shownFormat_ != format_) rendered_->setPage(page, format_);
        shownPage_ = page;
        shownFormat_ = format_;
        output_->setCurrentWidget(rendered_);
        return;
    case Pane::raw:
        raw_->showPage(*item_->result(), baseName(), *page, format_,
                       session::CSVSeparators::delimiter(settings_->csvSeparator()));
        shownPage_ = nullptr;
        output_->setCurrentWidget(raw_);
        return;
    case Pane::failedPage:
        status_->showMessage(ViewStyle::standardIcon(QStyle::SP_MessageBoxWarning), tr("This page couldn\u2019t be converted"),
                             item_->failedPagesRetried() ? tr("Something went wrong while reading it.")
                                                         : tr("Something went wrong while reading it. Choose Convert to try again."));
        break;
    case Pane::converting: {
        const auto& state = item_->state();
        status_->showProgress(state.completed, PreviewRules::progressTotal(state.total),
                              PreviewRules::convertingCaption(state.completed, state.total));
        break;
    }
    case Pane::failedDocument:
        status_->showMessage(ViewStyle::standardIcon(QStyle::SP_MessageBoxWarning), tr("Couldn\u2019t convert this file"),
                             item_->state().message);
        break;
    case Pane::queued: status_->showProgress(0, 0, tr("Waiting\u2026")); break;
    case Pane::notConverted:
        status_->showMessage(ViewStyle::standardIcon(QStyle::SP_FileDialogContentsView), tr("Not converted yet"),
                             tr("Convert to see the result next to the original."));
        break;
    }
    shownPage_ = nullptr;
    output_->setCurrentWidget(status_);
    refreshConvertButtons();
}

bool PreviewView::canConvert() const { return session_ && session_->canConvert(settings_->scanLanguage()); }

void PreviewView::refreshConvertButtons() {
    using Pane = PreviewRules::Pane;
    const bool offered =
        pane_ == Pane::notConverted || (pane_ == Pane::failedPage && !item_->failedPagesRetried());
    // Only the invitation to convert a new document is the pane's prominent action; the
    // retry after a failed page is offered as a plain button.
    status_->setAction(offered ? tr("Convert") : QString(), canConvert(), pane_ == Pane::notConverted);
}

void PreviewView::startConversion() {
    if (session_) session_->startConversion(settings_->scanLanguage());
}
