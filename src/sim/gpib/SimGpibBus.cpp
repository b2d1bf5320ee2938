#include "SimGpibBus.h"

#include "SimAgilentLaser.h"
#include "SimKeyValueLaser.h"
#include "SimMg9541aLaser.h"
#include "SimSantecLaser.h"
#include "SimSwitch.h"

namespace vemarsim {

SimGpibBus& SimGpibBus::instance()
{
    // Never destroyed: the program's drivers return their instruments to
    // local from static destructors that may run after this library's.
    static SimGpibBus* const bus = new SimGpibBus;
    return *bus;
}

std::shared_ptr<SimInstrument> SimGpibBus::makeInstrument(const SimInstrumentSetup& setup)
{
    if (const KeyValueDialect* dialect = keyValueDialect(setup.type))
        return std::make_shared<SimKeyValueLaser>(setup, sweepLog_, *dialect);
    switch (setup.type) {
    case 3:
        return std::make_shared<SimMg9541aLaser>(setup, sweepLog_);
    case 4:
        return std::make_shared<SimSantecLaser>(setup, sweepLog_);
    case 5:
        return std::make_shared<SimAgilentLaser>(setup, sweepLog_);
    case switchType:
        return std::make_shared<SimSwitch>(setup);
    default:
        return nullptr;
    }
}

void SimGpibBus::setSources(const std::vector<SimSourceRecord>& records)
{
    std::lock_guard lock(mutex_);
    records_ = records;
    if (!declared_) rebuildFromRecordsLocked();
}

std::vector<SimSourceRecord> SimGpibBus::sources() const
{
    std::lock_guard lock(mutex_);
    return records_;
}

void SimGpibBus::declareBus(const std::vector<SimInstrumentSetup>& instruments)
{
    std::lock_guard lock(mutex_);
    declared_ = true;
    instruments_.clear();
    for (const SimInstrumentSetup& setup : instruments) {
        if (setup.address < 0 || setup.address > highestAddress) continue;
        if (auto instrument = makeInstrument(setup)) instruments_[setup.address] = std::move(instrument);
    }
}

void SimGpibBus::followSources()
{
    std::lock_guard lock(mutex_);
    if (declared_) instruments_.clear();
    declared_ = false;
    rebuildFromRecordsLocked();
}

void SimGpibBus::setSwitchAddress(int address)
{
    std::lock_guard lock(mutex_);
    switchAddress_ = address;
    if (!declared_) rebuildFromRecordsLocked();
}

void SimGpibBus::rebuildFromRecordsLocked()
{
    std::map<int, SimInstrumentSetup> wanted;
    // Enabled records first: two records at one address give the enabled one's laser.
    for (const bool enabledPass : {true, false}) {
        for (const SimSourceRecord& record : records_) {
            if (record.enable != enabledPass) continue;
            if (record.address < 0 || record.address > highestAddress || wanted.count(record.address) != 0) continue;
            SimInstrumentSetup setup;
            setup.address = record.address;
            setup.type = record.type;
            setup.lambdaMinNm = record.lambdaMinNm;
            setup.lambdaMaxNm = record.lambdaMaxNm;
            wanted[record.address] = setup;
        }
    }
    if (switchAddress_ >= 0 && switchAddress_ <= highestAddress && wanted.count(switchAddress_) == 0) {
        SimInstrumentSetup setup;
        setup.address = switchAddress_;
        setup.type = switchType;
        wanted[switchAddress_] = setup;
    }

    std::map<int, std::shared_ptr<SimInstrument>> instruments;
    for (const auto& [address, setup] : wanted) {
        const auto existing = instruments_.find(address);
        if (existing != instruments_.end() && existing->second->type() == setup.type) {
            // The same model stays where it was, with its state.
            if (auto laser = std::dynamic_pointer_cast<SimLaser>(existing->second))
                laser->setRange(setup.lambdaMinNm, setup.lambdaMaxNm);
            instruments[address] = existing->second;
        } else if (auto instrument = makeInstrument(setup)) {
            instruments[address] = std::move(instrument);
        }
    }
    instruments_ = std::move(instruments);
}

std::optional<SimLaserState> SimGpibBus::laser(int address) const
{
    auto laser = std::dynamic_pointer_cast<SimLaser>(instrumentAt(address));
    if (!laser) return std::nullopt;
    return laser->state();
}

std::vector<SimLaserState> SimGpibBus::lasers() const
{
    std::vector<std::shared_ptr<SimInstrument>> instruments;
    {
        std::lock_guard lock(mutex_);
        for (const auto& [address, instrument] : instruments_) instruments.push_back(instrument);
    }
    std::vector<SimLaserState> states;
    for (const auto& instrument : instruments)
        if (auto laser = std::dynamic_pointer_cast<SimLaser>(instrument)) states.push_back(laser->state());
    return states;
}

std::vector<std::string> SimGpibBus::commands(int address) const
{
    const auto instrument = instrumentAt(address);
    return instrument ? instrument->commands() : std::vector<std::string>{};
}

int SimGpibBus::switchChannel() const
{
    std::vector<std::shared_ptr<SimInstrument>> instruments;
    {
        std::lock_guard lock(mutex_);
        for (const auto& [address, instrument] : instruments_) instruments.push_back(instrument);
    }
    for (const auto& instrument : instruments)
        if (auto switcher = std::dynamic_pointer_cast<SimSwitch>(instrument)) return switcher->channel();
    return -1;
}

void SimGpibBus::clearRecords()
{
    std::vector<std::shared_ptr<SimInstrument>> instruments;
    {
        std::lock_guard lock(mutex_);
        for (const auto& [address, instrument] : instruments_) instruments.push_back(instrument);
    }
    for (const auto& instrument : instruments) instrument->clearCommands();
    sweepLog_.clear();
}

int SimGpibBus::openDevice(const Device& device)
{
    std::lock_guard lock(mutex_);
    const int descriptor = nextDescriptor_++;
    devices_[descriptor] = device;
    return descriptor;
}

bool SimGpibBus::closeDevice(int descriptor)
{
    std::lock_guard lock(mutex_);
    return devices_.erase(descriptor) != 0;
}

std::optional<SimGpibBus::Device> SimGpibBus::device(int descriptor) const
{
    std::lock_guard lock(mutex_);
    const auto found = devices_.find(descriptor);
    if (found == devices_.end()) return std::nullopt;
    return found->second;
}

std::shared_ptr<SimInstrument> SimGpibBus::instrumentAt(int address) const
{
    std::lock_guard lock(mutex_);
    const auto found = instruments_.find(address);
    return found == instruments_.end() ? nullptr : found->second;
}

}  // namespace vemarsim
