#include "app/SettingsView.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QLabel>
#include <QTabWidget>
#include <QVBoxLayout>

namespace app {

GeneralSettingsView::GeneralSettingsView(session::Settings& settings, QWidget* parent)
    : QWidget(parent), settings_(settings), separator_(new QComboBox(this)), reveal_(new QCheckBox(this)) {
    for (const session::CSVSeparator separator : session::CSVSeparators::allCases()) {
        separator_->addItem(separator == session::CSVSeparator::comma ? tr("Comma (,)") : tr("Semicolon (;)"),
                            session::CSVSeparators::rawValue(separator));
    }
    reveal_->setText(tr("Show exported files in the file manager"));

    auto* hint = new QLabel(tr("Use semicolons if your spreadsheet app uses a comma as the decimal separator."), this);
    hint->setWordWrap(true);
    hint->setMinimumWidth(300);  // a wrapped label would otherwise take a narrow column
    hint->setForegroundRole(QPalette::PlaceholderText);
    QFont small = hint->font();
    small.setPointSizeF(small.pointSizeF() * 0.88);
    hint->setFont(small);

    auto* form = new QFormLayout(this);
    form->setFieldGrowthPolicy(QFormLayout::ExpandingFieldsGrow);
    form->setRowWrapPolicy(QFormLayout::DontWrapRows);
    form->addRow(tr("CSV separator"), separator_);
    form->addRow(QString(), hint);
    form->addRow(QString(), reveal_);

    connect(separator_, &QComboBox::activated, this, [this](int index) {
        if (const auto chosen = session::CSVSeparators::fromRawValue(separator_->itemData(index).toString())) {
            settings_.setCSVSeparator(*chosen);
        }
    });
    connect(reveal_, &QCheckBox::toggled, this, [this](bool on) { settings_.setRevealAfterExport(on); });
    connect(&settings_, &session::Settings::csvSeparatorChanged, this, &GeneralSettingsView::showSettings);
    connect(&settings_, &session::Settings::revealAfterExportChanged, this, &GeneralSettingsView::showSettings);
    showSettings();
}

void GeneralSettingsView::showSettings() {
    separator_->setCurrentIndex(separator_->findData(session::CSVSeparators::rawValue(settings_.csvSeparator())));
    reveal_->setChecked(settings_.revealAfterExport());
}

SettingsView::SettingsView(session::Settings& settings, QWidget* parent)
    : QWidget(parent), general_(new GeneralSettingsView(settings)) {
    setWindowTitle(tr("Preferences"));
    auto* tabs = new QTabWidget(this);
    tabs->addTab(general_, QIcon::fromTheme(QStringLiteral("preferences-system")), tr("General"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(tabs);
    setFixedWidth(fixedWidth);
    setMinimumHeight(leastHeight);
}

}  // namespace app
