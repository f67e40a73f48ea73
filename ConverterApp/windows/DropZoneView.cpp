#include "DropZoneView.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QVBoxLayout>

#include "SampleMenu.h"
#include "SymbolIcons.h"
#include "ViewStyle.h"

namespace windows {

DropZoneView::DropZoneView(session::ConversionSession& session, const WindowDialogs& dialogs, shell::ResourceBundle bundle,
                   QWidget* parent)
    : QWidget(parent),
      addFiles_(new QPushButton(tr("Add Files…"), this)),
      addFolder_(new QPushButton(tr("Add Folder…"), this)),
      samples_(new SampleMenu(session, std::move(bundle), this)) {
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(64, 64, 64, 64);
    outer->addStretch(1);
    auto* stack = new QVBoxLayout;
    stack->setSpacing(18);

    auto* icon = new QLabel(this);
    icon->setAlignment(Qt::AlignHCenter);
    icon->setPixmap(SymbolIcons::pixmap(SymbolIcons::Symbol::scanDocument, 64, ViewStyle::secondaryText(),
                                        devicePixelRatioF()));
    stack->addWidget(icon);
    stack->addWidget(ViewStyle::centredPlainLabel(tr("Drop PDFs, scans or a folder here"),
                                 ViewStyle::font(ViewStyle::TextStyle::title2, QFont::DemiBold), Qt::black, this));
    QLabel* detail = ViewStyle::centredPlainLabel(tr("Tables, columns, headings and lists come out as Markdown or Word; CSV gets the "
                                    "tables. Everything stays on this computer."),
                                 ViewStyle::font(ViewStyle::TextStyle::body), ViewStyle::secondaryText(), this);
    detail->setFixedWidth(420);
    detail->setMinimumHeight(detail->heightForWidth(420));
    stack->addWidget(detail, 0, Qt::AlignHCenter);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    for (QPushButton* button : {addFiles_, addFolder_, static_cast<QPushButton*>(samples_)}) {
        button->setMinimumHeight(30);
        buttons->addWidget(button);
    }
    buttons->addStretch(1);
    stack->addLayout(buttons);
    outer->addLayout(stack);
    outer->addStretch(1);

    connect(addFiles_, &QPushButton::clicked, this, [&session, &dialogs] { session.addFiles(dialogs.chooseFilesToAdd()); });
    connect(addFolder_, &QPushButton::clicked, this,
            [&session, &dialogs] { session.addFiles(dialogs.chooseFolderToAdd()); });
}

void DropZoneView::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const double lineWidth = 2;
    const QRectF outline = QRectF(rect()).adjusted(24, 24, -24, -24).adjusted(lineWidth / 2, lineWidth / 2,
                                                                            -lineWidth / 2, -lineWidth / 2);
    QPen pen(ViewStyle::withOpacity(Qt::black, 0.18), lineWidth, Qt::CustomDashLine, Qt::FlatCap, Qt::MiterJoin);
    pen.setDashPattern({8 / lineWidth, 6 / lineWidth});
    p.setPen(pen);
    p.drawRoundedRect(outline, 14, 14);
}

}  // namespace windows
