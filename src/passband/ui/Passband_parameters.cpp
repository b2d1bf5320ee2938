#include "Passband_parameters.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>

#include "Applicationconfig.h"
#include "Comboboxeditable.h"
#include "DoubleEditable.h"
#include "Doubleedit.h"
#include "Grid.h"
#include "GridLabels.h"
#include "Passband.h"
#include "PassbandFiles.h"
#include "Passband_alarm.h"
#include "Passband_bandwidthalarm.h"

namespace {

constexpr int margin = 15;
constexpr int editWidth = 80;
constexpr int editHeight = 25;
constexpr int leftColumnWidth = 330;

QLabel* label(const char* text, QWidget* parent)
{
    return new QLabel(QString::fromUtf8(text), parent);
}

TDoubleEdit* makeEdit(QWidget* parent, const char* name, double minimum, double maximum, double increment)
{
    auto* edit = new TDoubleEdit(parent);
    edit->setObjectName(QLatin1String(name));
    edit->setFixedSize(editWidth, editHeight);
    setUpEdit(*edit, minimum, maximum, increment, 1);
    return edit;
}

// A row of the left column: the widgets side by side, pushed to the left.
QHBoxLayout* rowOf(std::initializer_list<QWidget*> widgets)
{
    auto* row = new QHBoxLayout;
    row->setSpacing(5);
    for (QWidget* w : widgets) row->addWidget(w);
    row->addStretch(1);
    return row;
}

std::string localPath(const QString& path) { return QFile::encodeName(path).toStdString(); }

}  // namespace

const QStringList TPassBandParameters::saveFilters = {QStringLiteral("Passband result files (*.passband.xml)"),
                                                      QStringLiteral("Txt files (*.txt)")};
const QStringList TPassBandParameters::loadFilters = {QStringLiteral("Passband result files (*.passband.xml)"),
                                                      QStringLiteral("All files (*)")};

TPassBandParameters::TPassBandParameters(Passband& passband, ApplicationConfig& settings, QWidget* parent)
    : QFrame(parent), passband_(passband), settings_(settings), gridAssociates_(makeGridAssociates())
{
    setObjectName(QStringLiteral("TPassBandParameters"));
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(margin, margin, margin, margin);
    layout->setSpacing(margin);
    QWidget* left = buildLeftColumn();
    left->setFixedWidth(leftColumnWidth);
    layout->addWidget(left);
    layout->addWidget(buildAlarms(), 1);

    binders_.push_back(std::make_unique<DoubleEditable>(passband_.threshold, *thresholdEdit_));
    binders_.push_back(std::make_unique<DoubleEditable>(passband_.owr, *owr_));
    binders_.push_back(std::make_unique<DoubleEditable>(passband_.bandwidth1, *bandwidthEdits_[0]));
    binders_.push_back(std::make_unique<DoubleEditable>(passband_.bandwidth2, *bandwidthEdits_[1]));
    binders_.push_back(std::make_unique<DoubleEditable>(passband_.bandwidth3, *bandwidthEdits_[2]));
    gridBinder_ = std::make_unique<ComboBoxEditable<GridType>>(gridAssociates_, passband_.grid.gridType, *cbGrids_);

    passband_.grid.gridType.addObserver(gridObserver_);
    gridObserver_.update();
    passband_.threshold.lock().addObserver(loadLockObserver_);
    loadLockObserver_.update();

    connect(saveButton_, &QPushButton::clicked, this, &TPassBandParameters::saveClick);
    connect(loadButton_, &QPushButton::clicked, this, &TPassBandParameters::loadClick);
}

TPassBandParameters::~TPassBandParameters()
{
    passband_.threshold.lock().removeObserver(loadLockObserver_);
    passband_.grid.gridType.removeObserver(gridObserver_);
    gridBinder_.reset();
    binders_.clear();
    // The alarm rows unregister their binders and observers as they go, with
    // the panel's other children.
}

QWidget* TPassBandParameters::buildLeftColumn()
{
    auto* column = new QWidget(this);
    auto* layout = new QVBoxLayout(column);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(margin);

    auto* threshold = new QGroupBox(QStringLiteral("Channel detection threshold"), column);
    thresholdEdit_ = makeEdit(threshold, "thresholdEdit", -80.0, 20.0, 0.1);
    auto* thresholdLayout = new QVBoxLayout(threshold);
    thresholdLayout->addLayout(rowOf({thresholdEdit_, label("(dB)", threshold)}));
    layout->addWidget(threshold);

    auto* grid = new QGroupBox(QStringLiteral("Grid"), column);
    cbGrids_ = new QComboBox(grid);
    cbGrids_->setObjectName(QStringLiteral("cbGrids"));
    cbGrids_->setEditable(false);
    startValue_ = label("", grid);
    startValue_->setObjectName(QStringLiteral("startValue"));
    spacingValue_ = label("", grid);
    spacingValue_->setObjectName(QStringLiteral("spacingValue"));
    subdivisionValue_ = label("", grid);
    subdivisionValue_->setObjectName(QStringLiteral("subdivisionValue"));
    auto* gridLayout = new QGridLayout(grid);
    gridLayout->setHorizontalSpacing(10);
    gridLayout->addWidget(cbGrids_, 0, 0, 1, 2);
    gridLayout->addWidget(label("start", grid), 1, 0);
    gridLayout->addWidget(startValue_, 1, 1);
    gridLayout->addWidget(label("spacing", grid), 2, 0);
    gridLayout->addWidget(spacingValue_, 2, 1);
    gridLayout->addWidget(label("subdivision", grid), 3, 0);
    gridLayout->addWidget(subdivisionValue_, 3, 1);
    gridLayout->setColumnStretch(1, 1);
    layout->addWidget(grid);

    auto* passband = new QGroupBox(QStringLiteral("Passband relative to the grid"), column);
    owr_ = makeEdit(passband, "owr", 0.0, 100.0, 0.5);
    lPassbandUnit_ = label("", passband);
    lPassbandUnit_->setObjectName(QStringLiteral("lPassbandUnit"));
    auto* passbandLayout = new QVBoxLayout(passband);
    passbandLayout->addLayout(rowOf({label("+/-", passband), owr_, lPassbandUnit_}));
    layout->addWidget(passband);

    // Two blanks before "at", as the page has always read.
    auto* bandwidths = new QGroupBox(QStringLiteral("Bandwidths computed  at"), column);
    auto* bandwidthsLayout = new QGridLayout(bandwidths);
    bandwidthsLayout->setHorizontalSpacing(10);
    for (int k = 0; k < 3; ++k) {
        const QByteArray name = "bandwidth" + QByteArray::number(k + 1) + "Edit";
        bandwidthEdits_[static_cast<std::size_t>(k)] = makeEdit(bandwidths, name.constData(), -70.0, 0.0, 0.5);
        bandwidthsLayout->addWidget(new QLabel(QStringLiteral("Choice %1").arg(k + 1), bandwidths), k, 0);
        bandwidthsLayout->addWidget(bandwidthEdits_[static_cast<std::size_t>(k)], k, 1);
        bandwidthsLayout->addWidget(label("(dB)", bandwidths), k, 2);
    }
    bandwidthsLayout->setColumnStretch(3, 1);
    layout->addWidget(bandwidths);

    auto* files = new QGroupBox(QStringLiteral("Load/Save Table"), column);
    saveButton_ = new QPushButton(QStringLiteral("save"), files);
    saveButton_->setObjectName(QStringLiteral("save"));
    loadButton_ = new QPushButton(QStringLiteral("load"), files);
    loadButton_->setObjectName(QStringLiteral("load"));
    auto* filesLayout = new QVBoxLayout(files);
    filesLayout->addLayout(rowOf({saveButton_, loadButton_}));
    layout->addWidget(files);

    layout->addStretch(1);
    return column;
}

QWidget* TPassBandParameters::buildAlarms()
{
    auto* group = new QGroupBox(QStringLiteral("Alarms setting"), this);
    auto* layout = new QVBoxLayout(group);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    Passband_Alarms& alarms = passband_.alarms;
    const QString dB = QStringLiteral("(dB)");

    centrationRow_ = new Passband_Alarm(QStringLiteral("Channel center accuracy limit"), alarms.ChannelCentration,
                                        0.0, 100.0, 0.5, QStringLiteral("(Ghz)"), group);
    centrationRow_->setObjectName(QStringLiteral("ChannelCentration"));
    layout->addWidget(centrationRow_);
    for (int k = 1; k <= 3; ++k) {
        auto* row = new Passband_BandwidthAlarm(passband_, k, group);
        row->setObjectName(QStringLiteral("Bandwidth%1").arg(k));
        bandwidthRows_[static_cast<std::size_t>(k - 1)] = row;
        layout->addWidget(row);
    }
    insertionLossRow_ =
        new Passband_Alarm(QStringLiteral("Max insertion loss limit"), alarms.maxIL, -80.0, 80.0, 0.1, dB, group);
    insertionLossRow_->setObjectName(QStringLiteral("maxIL"));
    rippleRow_ = new Passband_Alarm(QStringLiteral("Ripple limit"), alarms.ripple, 0.0, 80.0, 0.1, dB, group);
    rippleRow_->setObjectName(QStringLiteral("ripple"));
    adjacentRow_ = new Passband_Alarm(QStringLiteral("Adjacent channel isolation limit"), alarms.adjacent, 0.0,
                                      80.0, 0.1, dB, group);
    adjacentRow_->setObjectName(QStringLiteral("adjacent"));
    nonAdjacentRow_ = new Passband_Alarm(QStringLiteral("Non adjacent channel isolation limit"), alarms.noAdjacent,
                                         0.0, 80.0, 0.1, dB, group);
    nonAdjacentRow_->setObjectName(QStringLiteral("noAdjacent"));
    for (QWidget* row : {static_cast<QWidget*>(insertionLossRow_), static_cast<QWidget*>(rippleRow_),
                         static_cast<QWidget*>(adjacentRow_), static_cast<QWidget*>(nonAdjacentRow_)})
        layout->addWidget(row);
    layout->addStretch(1);
    return group;
}

void TPassBandParameters::GridObserver::update()
{
    const Grid* grid = panel_.passband_.currentGrid();
    if (grid == nullptr) return;
    const QString unit = QString::fromStdString(GridLabels::unitText(*grid));
    panel_.startValue_->setText(QString::fromStdString(GridLabels::startText(*grid)));
    panel_.spacingValue_->setText(QString::fromStdString(GridLabels::spacingText(*grid)));
    panel_.subdivisionValue_->setText(QString::fromStdString(GridLabels::subdivisionText(*grid)));
    panel_.lPassbandUnit_->setText(unit);
    const double spacing = grid->spacing();
    panel_.owr_->SetMax(spacing * 0.5);
    panel_.centrationRow_->edit()->SetMax(spacing);
    panel_.centrationRow_->setUnit(unit);
}

void TPassBandParameters::LoadLockObserver::update()
{
    panel_.loadButton_->setEnabled(!panel_.passband_.threshold.locked());
}

QString TPassBandParameters::dataFolder() const
{
    if (!folderExists(settings_.dataFolder)) createFolderTree(settings_.dataFolder);
    return QFile::decodeName(QByteArray::fromStdString(settings_.dataFolder));
}

void TPassBandParameters::saveClick()
{
    QFileDialog dialog(this, QStringLiteral("Save"), dataFolder());
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilters(saveFilters);
    dialog.setDefaultSuffix(QStringLiteral("passband.xml"));
    // A name typed without extension gets the one of the chosen kind.
    connect(&dialog, &QFileDialog::filterSelected, &dialog, [&dialog](const QString& filter) {
        dialog.setDefaultSuffix(filter == saveFilters.front() ? QStringLiteral("passband.xml") : QStringLiteral("txt"));
    });
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return;
    const QString path = dialog.selectedFiles().front();
    if (saveResults(path, dialog.selectedNameFilter() == saveFilters.front()))
        settings_.dataFolder = localPath(QFileInfo(path).absolutePath()) + "/";
}

void TPassBandParameters::loadClick()
{
    QFileDialog dialog(this, QStringLiteral("Open"), dataFolder());
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setNameFilters(loadFilters);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return;
    loadResults(dialog.selectedFiles().front());
}

bool TPassBandParameters::saveResults(const QString& path, bool xml)
{
    const std::string file = localPath(path);
    const bool ok = xml ? PassbandFiles::saveXml(passband_, file) : PassbandFiles::saveText(passband_, file);
    // Saying nothing would let the user believe the results were kept.
    if (!ok) QMessageBox::warning(this, QStringLiteral("Error"), QStringLiteral("Can't write the file %1.").arg(path));
    return ok;
}

bool TPassBandParameters::loadResults(const QString& path)
{
    const bool ok = PassbandFiles::loadXml(passband_, localPath(path));
    if (!ok)
        QMessageBox::warning(this, QStringLiteral("Error"), QStringLiteral("Can't open the file. The format is invalid."));
    return ok;
}
