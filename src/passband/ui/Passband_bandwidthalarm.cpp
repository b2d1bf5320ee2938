#include "Passband_bandwidthalarm.h"

#include <QHBoxLayout>
#include <QLabel>

#include "DoubleEditable.h"
#include "Doubleedit.h"
#include "Grid.h"
#include "GridLabels.h"
#include "Passband.h"
#include "Passband_alarm.h"

namespace {

Editable<float>& levelOf(Passband& p, int level)
{
    return level == 1 ? p.bandwidth1 : level == 2 ? p.bandwidth2 : p.bandwidth3;
}
Editable<float>& minOf(Passband& p, int level)
{
    return level == 1 ? p.alarms.minBandwidth1 : level == 2 ? p.alarms.minBandwidth2 : p.alarms.minBandwidth3;
}
Editable<float>& maxOf(Passband& p, int level)
{
    return level == 1 ? p.alarms.maxBandwidth1 : level == 2 ? p.alarms.maxBandwidth2 : p.alarms.maxBandwidth3;
}

TDoubleEdit* makeEdit(QWidget* parent, const char* name)
{
    auto* edit = new TDoubleEdit(parent);
    edit->setObjectName(QLatin1String(name));
    edit->setFixedSize(Passband_Alarm::editWidth, Passband_Alarm::editHeight);
    setUpEdit(*edit, 0.0, edit->GetMax(), 0.1, 1);
    return edit;
}

}  // namespace

Passband_BandwidthAlarm::Passband_BandwidthAlarm(Passband& passband, int level, QWidget* parent)
    : QFrame(parent),
      passband_(passband),
      level_(levelOf(passband, level)),
      min_(minOf(passband, level)),
      max_(maxOf(passband, level))
{
    setFrameShape(QFrame::NoFrame);
    setFixedHeight(Passband_Alarm::rowHeight);

    minCaption_ = new QLabel(QStringLiteral("Min"), this);
    minEdit_ = makeEdit(this, "minEdit");
    minUnit_ = new QLabel(this);
    minUnit_->setObjectName(QStringLiteral("minUnitLabel"));
    minUnit_->setIndent(Passband_Alarm::unitIndent);
    centre_ = new QLabel(this);
    centre_->setObjectName(QStringLiteral("centreLabel"));
    maxCaption_ = new QLabel(QStringLiteral("Max"), this);
    maxEdit_ = makeEdit(this, "maxEdit");
    maxUnit_ = new QLabel(this);
    maxUnit_->setObjectName(QStringLiteral("maxUnitLabel"));
    maxUnit_->setIndent(Passband_Alarm::unitIndent);

    auto* layout = new QHBoxLayout(this);
    const int border = Passband_Alarm::border;
    layout->setContentsMargins(border, border, border, border);
    layout->setSpacing(0);
    layout->addStretch(1);
    layout->addWidget(minCaption_);
    layout->addSpacing(5);
    layout->addWidget(minEdit_);
    layout->addWidget(minUnit_);
    layout->addSpacing(5);
    layout->addWidget(centre_);
    layout->addSpacing(5);
    layout->addWidget(maxCaption_);
    layout->addSpacing(5);
    layout->addWidget(maxEdit_);
    layout->addWidget(maxUnit_);
    layout->addStretch(1);

    // The bounds first, so that the binders show the limits inside them.
    level_.addObserver(bandwidthObserver_);
    passband_.grid.gridType.addObserver(unitObserver_);
    min_.addObserver(minObserver_);
    max_.addObserver(maxObserver_);
    bandwidthObserver_.update();
    unitObserver_.update();
    minObserver_.update();
    maxObserver_.update();
    minBinder_ = std::make_unique<DoubleEditable>(min_, *minEdit_);
    maxBinder_ = std::make_unique<DoubleEditable>(max_, *maxEdit_);
}

Passband_BandwidthAlarm::~Passband_BandwidthAlarm()
{
    minBinder_.reset();
    maxBinder_.reset();
    level_.removeObserver(bandwidthObserver_);
    passband_.grid.gridType.removeObserver(unitObserver_);
    min_.removeObserver(minObserver_);
    max_.removeObserver(maxObserver_);
}

void Passband_BandwidthAlarm::BandwidthObserver::update()
{
    row_.centre_->setText(QString::fromStdString(GridLabels::bandwidthLevelText(row_.level_.value())));
}

void Passband_BandwidthAlarm::UnitObserver::update()
{
    const Grid* grid = row_.passband_.currentGrid();
    if (grid == nullptr) return;
    const QString unit = QString::fromStdString(GridLabels::unitText(*grid));
    row_.minUnit_->setText(unit);
    row_.maxUnit_->setText(unit);
    row_.maxEdit_->SetMax(2.0 * static_cast<double>(grid->spacing()));
}

void Passband_BandwidthAlarm::MinObserver::update() { row_.maxEdit_->SetMin(row_.min_.value()); }

void Passband_BandwidthAlarm::MaxObserver::update() { row_.minEdit_->SetMax(row_.max_.value()); }
