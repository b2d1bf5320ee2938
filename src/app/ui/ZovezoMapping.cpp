// The two-way mapping between the settings and the window's controls, the
// configuration files ("&Load", "Save &As...", the default file) and the
// "About" page.

#include <QButtonGroup>
#include <QCheckBox>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QTabWidget>

#include "About.h"
#include "Applicationconfig.h"
#include "ConfigurationFile.h"
#include "Doubleedit.h"
#include "Intedit.h"
#include "MeasurementSession.h"
#include "NumberFormat.h"
#include "Sourceconfig.h"
#include "SourcesSection.h"
#include "Zovezo.h"

namespace {

constexpr const char* configurationFilter = "Configuration files (*.config.xml);;All files (*.*)";
constexpr const char* configurationSuffix = "config.xml";
constexpr const char* noFolderText = "<..>";

}  // namespace

ConfigurationSection* TFormZovEZO::passbandSection()
{
    return passBand_ ? &passBand_->configurationSection() : passbandKeeper_.get();
}

void TFormZovEZO::saveConfiguration(const std::string& path)
{
    controlsToSettings();
    const ConfigurationSections sections = ConfigurationSections::of(sourcesSection_.get(), passbandSection());
    // A failed save of the default file is silent; "Save &As..." checks the file itself.
    ConfigurationFile::saveConfiguration(path, About(identity().summary(), dspRelease_), settings(), sections);
}

void TFormZovEZO::loadConfiguration(const std::string& path)
{
    const ConfigurationSections sections = ConfigurationSections::of(sourcesSection_.get(), passbandSection());
    ConfigurationFile::loadConfiguration(path, settings(), sections);
}

void TFormZovEZO::ButtonSaveAsClick()
{
    runGuarded([this] {
        createFolderTree(settings().configFolder);
        const QString chosen = dialogs_.saveFileName(QString::fromStdString(settings().configFolder),
                                                     configurationFilter, configurationSuffix);
        if (chosen.isEmpty()) return;
        currentConfigurationFile_ = chosen.toStdString();
        const ConfigurationSections sections = ConfigurationSections::of(sourcesSection_.get(), passbandSection());
        controlsToSettings();
        if (!ConfigurationFile::saveConfiguration(currentConfigurationFile_, About(identity().summary(), dspRelease_),
                                                  settings(), sections))
            dialogs_.message(2, "Save As", "Can't write the configuration file " + chosen);
    });
}

void TFormZovEZO::ButtonLoadClick()
{
    runGuarded([this] {
        createFolderTree(settings().configFolder);
        const QString chosen = dialogs_.openFileName(QString::fromStdString(settings().configFolder),
                                                     configurationFilter);
        if (chosen.isEmpty()) return;
        currentConfigurationFile_ = chosen.toStdString();
        loadConfiguration(currentConfigurationFile_);
        settingsToControls();
    });
}

void TFormZovEZO::settingsToControls()
{
    ApplicationConfig& s = settings();
    ScanParameterBlock& block = s.scanParameters;
    ConfLaser& sources = session_->sources();

    {
        const QSignalBlocker b1(triggerOn_), b2(triggerOff_), b3(syncOn_), b4(syncOff_);
        (block.trigger != 0 ? triggerOn_ : triggerOff_)->setChecked(true);
        (block.externalSynchronization != 0 ? syncOn_ : syncOff_)->setChecked(true);
    }
    sourcesGroup_->setVisible(block.trigger == 0);

    // The live source records belong to the measurement thread while it
    // runs (a raised sampling step is shown then): the rows and the range
    // edits stay as they are until it has ended.
    if (!measurementRunning()) {
        {
            const QSignalBlocker b(powerEdit_);
            powerEdit_->SetValue(sources.power);
        }
        if (sourceEditor_) sourceEditor_->RefreshAll();
        const QSignalBlocker b1(startEdit_), b2(stopEdit_);
        if (block.trigger != 0) {
            const WindowRules::BandLimits band = WindowRules::fibreBandLimits(identity().fibreBand());
            startEdit_->SetMin(band.lowestStartNm);
            stopEdit_->SetMax(band.highestStopNm);
        } else {
            SourcesRangeChanged();
            startEdit_->SetValue(sources.lambdaMin);
            stopEdit_->SetValue(sources.lambdaMax);
        }
    }
    {
        const QSignalBlocker b(resolutionEdit_);
        resolutionEdit_->SetValue(s.samplingStep);
    }
    {
        const QSignalBlocker b2(detectorBoxes_[1]), b3(detectorBoxes_[2]), b4(detectorBoxes_[3]), b5(extBox_),
            b6(orlBox_);
        detectorBoxes_[1]->setChecked(block.enable2 != 0);
        detectorBoxes_[2]->setChecked(block.enable3 != 0);
        detectorBoxes_[3]->setChecked(block.enable4 != 0);
        extBox_->setChecked(block.enableExt != 0);
        orlBox_->setChecked(block.enableOrl != 0);
    }
    {
        const QSignalBlocker b1(singleButton_), b2(continuousButton_);
        (s.measurementType == 1 ? continuousButton_ : singleButton_)->setChecked(true);
    }
    if (passBand_) passBand_->setContinuous(s.measurementType == 1);
    {
        const QSignalBlocker b1(scanLimitBox_), b2(countEdit_);
        scanLimitBox_->setChecked(s.scanLimitEnabled);
        countEdit_->SetValue(s.scanLimit);
    }
    showCounterPanel();
    {
        const QSignalBlocker b(autoSaveBox_);
        autoSaveBox_->setChecked(s.scanSaveEnabled);
        folderLabel_->setText(s.scanFilesFolder.empty() ? QString(noFolderText)
                                                        : QDir::toNativeSeparators(
                                                              QString::fromStdString(s.scanFilesFolder)));
        for (int i = 0; i < 5; ++i) {
            const QSignalBlocker bt(fileTypeButtons_[i]);
            fileTypeButtons_[i]->setChecked(s.fileType == i);
        }
    }
    {
        const QSignalBlocker b1(delayEdit_), b2(minMaxResetBox_), b3(resetModuloEdit_);
        delayEdit_->SetValue(s.scanDelay);
        minMaxResetBox_->setChecked(s.minMaxResetEnabled);
        resetModuloEdit_->SetValue(s.minMaxResetModulo);
    }
    {
        const QSignalBlocker b(preciseModeBox_);
        preciseModeBox_->setChecked(factory_ && s.showInfoPreciseMode);
    }
    preciseNote_->setVisible(factory_ && preciseModeBox_->isChecked());
    keepModeHopBox_->setChecked(s.keepModeHop);
    if (calibrationPage_) calibrationPage_->settingsToControls(s);
    if (chart_) chart_->settingsToControls(s, factory_);
    applyFactoryVisibility();
    applyEnabling(idle());
}

void TFormZovEZO::controlsToSettings()
{
    ApplicationConfig& s = settings();
    ScanParameterBlock& block = s.scanParameters;
    ConfLaser& sources = session_->sources();

    block.trigger = triggerOn_->isChecked() ? 1 : 0;
    block.externalSynchronization = syncOn_->isChecked() ? 1 : 0;
    // Never into the live source records while the thread uses them.
    if (!measurementRunning()) {
        if (sourceEditor_) sourceEditor_->ApplyAll();
        sources.power = powerEdit_->GetValue();
        sources.SetScanStart(startEdit_->GetValue());
        sources.SetScanStop(stopEdit_->GetValue());
    }
    s.samplingStep = resolutionEdit_->GetValue();
    block.enable2 = detectorBoxes_[1]->isChecked() ? 1 : 0;
    block.enable3 = detectorBoxes_[2]->isChecked() ? 1 : 0;
    block.enable4 = detectorBoxes_[3]->isChecked() ? 1 : 0;
    block.enableExt = extBox_->isChecked() ? 1 : 0;
    block.enableOrl = orlBox_->isChecked() ? 1 : 0;
    block.switchActive = switchActive_->isChecked() ? 1 : 0;
    block.switchAddress = switchAddress_->GetValue();
    block.switchStartChannel = switchStartChannel_->GetValue();
    block.switchPortOffset = switchPortOffset_->GetValue();
    s.measurementType = continuousButton_->isChecked() ? 1 : 0;
    s.scanLimitEnabled = scanLimitBox_->isChecked();
    s.scanLimit = countEdit_->GetValue();
    s.scanSaveEnabled = autoSaveBox_->isChecked();
    // The folder label is the only editor of the stored folder.
    if (const QString folder = folderLabel_->text(); folder != noFolderText && !folder.isEmpty())
        s.scanFilesFolder = QDir::fromNativeSeparators(folder).toStdString();
    s.fileType = 0;
    for (int i = 0; i < 5; ++i) {
        if (fileTypeButtons_[i]->isChecked()) {
            s.fileType = i;
            break;
        }
    }
    s.scanDelay = delayEdit_->GetValue();
    s.minMaxResetEnabled = minMaxResetBox_->isChecked();
    s.minMaxResetModulo = resetModuloEdit_->GetValue();
    s.showInfoPreciseMode = preciseModeBox_->isChecked();
    s.keepModeHop = keepModeHopBox_->isChecked();
    if (calibrationPage_) calibrationPage_->controlsToSettings(s);
    if (chart_)
        chart_->controlsToSettings(s);
    else if (!factory_)
        s.showInfo = false;
}

void TFormZovEZO::showCounterPanel()
{
    const bool continuous = continuousButton_->isChecked();
    counterPanel_->setVisible(continuous);
    const bool limited = continuous && scanLimitBox_->isChecked();
    counterSlash_->setVisible(limited);
    countEdit_->setVisible(limited);
}

void TFormZovEZO::applyFactoryVisibility()
{
    for (Page page : {PageVelocity, PagePower, PageModeHop, PageFactory}) pages_->setTabVisible(page, factory_);
    pages_->setTabVisible(PageCustomer, false);
    keepModeHopBox_->setVisible(factory_);
    preciseModeBox_->setVisible(factory_);
    preciseNote_->setVisible(factory_ && preciseModeBox_->isChecked());
}

void TFormZovEZO::refreshAbout()
{
    const About about(identity().summary(), dspRelease_);
    const std::array<const std::string*, 12> texts = {
        &about.release,      &about.dspRelease,   &about.serialNumber, &about.fibreType,
        &about.tls[0],       &about.tls[1],       &about.tls[2],       &about.tls[3],
        &about.detectors[0], &about.detectors[1], &about.detectors[2], &about.detectors[3],
    };
    for (std::size_t i = 0; i < texts.size(); ++i) aboutValues_[i]->setText(QString::fromStdString(*texts[i]));
}
