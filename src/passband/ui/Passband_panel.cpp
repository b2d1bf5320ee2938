#include "Passband_panel.h"

#include <QFont>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

#include "Log.h"
#include "Passband.h"
#include "PassbandSection.h"
#include "Passband_continousrenderer.h"
#include "Passband_model.h"
#include "Passband_parameters.h"
#include "Passband_tablerenderer.h"
#include "Table.h"

namespace {

constexpr int buttonPanelHeight = 50;
constexpr int selectPanelWidth = 145;
constexpr int selectPanelHeight = 33;

}  // namespace

TPassBandFrame::TPassBandFrame(ApplicationConfig& settings, const ScanManager& scans, QWidget* parent)
    : TPassBandFrame(settings, std::make_unique<Passband>(scans), parent)
{
}

TPassBandFrame::TPassBandFrame(ApplicationConfig& settings, const SelectedTraceCurves& curves, QWidget* parent)
    : TPassBandFrame(settings, std::make_unique<Passband>(curves), parent)
{
}

TPassBandFrame::TPassBandFrame(ApplicationConfig& settings, std::unique_ptr<Passband> passband, QWidget* parent)
    : QFrame(parent),
      passband_(std::move(passband)),
      section_(std::make_unique<PassbandSection>(*passband_)),
      continuousRenderer_(std::make_unique<Passband_ContinousRenderer>()),
      singleRenderer_(std::make_unique<Passband_TableRenderer>())
{
    setObjectName(QStringLiteral("TPassBandFrame"));
    table_ = new TTableFrame(this);
    table_->setObjectName(QStringLiteral("table"));
    parameters_ = new TPassBandParameters(*passband_, settings, this);

    buttonPanel_ = new QFrame(this);
    buttonPanel_->setObjectName(QStringLiteral("buttonPanel"));
    buttonPanel_->setFixedHeight(buttonPanelHeight);
    selectPanel_ = new QPushButton(buttonPanel_);
    selectPanel_->setObjectName(QStringLiteral("selectPanel"));
    QFont bold = selectPanel_->font();
    bold.setBold(true);
    selectPanel_->setFont(bold);
    selectPanel_->setFixedSize(selectPanelWidth, selectPanelHeight);
    auto* buttons = new QHBoxLayout(buttonPanel_);
    buttons->setContentsMargins(0, 0, 0, 0);
    buttons->addStretch(1);
    buttons->addWidget(selectPanel_, 0, Qt::AlignVCenter);
    buttons->addStretch(1);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(table_, 1);
    layout->addWidget(parameters_, 1);
    layout->addWidget(buttonPanel_);

    connect(selectPanel_, &QPushButton::clicked, this, &TPassBandFrame::selectPanelClick);
    selectPanelClick();

    model_ = std::make_unique<Passband_Model>(*passband_);
    table_->setModel(model_.get());
    useSingleRenderer();
    for (const auto& entry : Passband_Alarms::table) (passband_->alarms.*entry.limit).addObserver(alarmsRepaint_);
}

TPassBandFrame::~TPassBandFrame()
{
    for (const auto& entry : Passband_Alarms::table) (passband_->alarms.*entry.limit).removeObserver(alarmsRepaint_);
    // Children would only go after the engine they observe.
    delete table_;
    delete parameters_;
    model_.reset();
    singleRenderer_.reset();
    continuousRenderer_.reset();
    section_.reset();
    passband_.reset();
}

void TPassBandFrame::analyse()
{
    Log::debug("TPassBandFrame::analyse()\n");
    passband_->analyse();
}

void TPassBandFrame::updateCurves()
{
    Log::debug("TPassBandFrame::updateCurves()\n");
    passband_->update();
}

void TPassBandFrame::lockParameters() { passband_->lockParameters(); }

void TPassBandFrame::unlockParameters() { passband_->unlockParameters(); }

void TPassBandFrame::clearResults() { passband_->clearResults(); }

void TPassBandFrame::useSingleRenderer() { table_->setRenderer(singleRenderer_.get()); }

void TPassBandFrame::useContinuousRenderer() { table_->setRenderer(continuousRenderer_.get()); }

void TPassBandFrame::saveConfiguration(TiXmlElement& passbandElement) const
{
    passband_->saveConfiguration(passbandElement);
}

void TPassBandFrame::loadConfiguration(const TiXmlElement* passbandElement)
{
    passband_->loadConfiguration(passbandElement);
}

ConfigurationSection& TPassBandFrame::configurationSection() { return *section_; }

void TPassBandFrame::selectPanelClick()
{
    table_->hide();
    parameters_->hide();
    if (showTable_) {
        table_->show();
        selectPanel_->setText(QStringLiteral("Parameters"));
    } else {
        parameters_->show();
        selectPanel_->setText(QStringLiteral("Table"));
    }
    showTable_ = !showTable_;
}

bool TPassBandFrame::tableShown() const { return !table_->isHidden(); }

void TPassBandFrame::AlarmsRepaint::update() { page_.table_->grid()->viewport()->update(); }
