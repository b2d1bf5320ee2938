#include "UnitFaults.h"

#include "DspProtocol.h"
#include "vemar_sim_usb.h"

namespace vemarsim {

bool UnitFaults::inject(int fault, int arg)
{
    const long index = arg < 0 ? 0 : arg;
    switch (fault) {
    case VEMARSIM_FAULT_BLOCK_CHECKSUM: badChecksumBlock_ = index; return true;
    case VEMARSIM_FAULT_BLOCK_ERROR_FLAG: errorFlagBlock_ = index; return true;
    case VEMARSIM_FAULT_NO_ANSWER: dropAnswer_ = index; return true;
    case VEMARSIM_FAULT_LATE_ANSWER: lateSeconds_ = index / 1000.0; return true;
    case VEMARSIM_FAULT_ACK_SERIAL_ERROR: ackFlags_ |= DSP_ACK_SERIAL_ERROR; return true;
    case VEMARSIM_FAULT_ACK_FLASH_ERROR: ackFlags_ |= DSP_ACK_FLASH_ERROR; return true;
    case VEMARSIM_FAULT_ACK_CHECKSUM: ackChecksum_ = true; return true;
    case VEMARSIM_FAULT_EARLY_LAST_BLOCK: earlyLastBlock_ = index; return true;
    case VEMARSIM_FAULT_NO_LAST_FLAG: noLastFlag_ = true; return true;
    case VEMARSIM_FAULT_SHORT_ANSWER: cutBytes_ = static_cast<std::size_t>(index); return true;
    case VEMARSIM_FAULT_UNPLUG:
        if (index == 0)
            unplugNow_ = true;
        else
            unplugAfterAnswers_ = index;
        return true;
    case VEMARSIM_FAULT_IGNORE_COMMAND: ignoreCommand_ = index; return true;
    case VEMARSIM_FAULT_PROGRAM_BIT: programFaultPacket_ = index; return true;
    case VEMARSIM_FAULT_STUCK_BYTE: stuckWord_ = index; return true;
    default: return false;
    }
}

void UnitFaults::clear()
{
    const double probability = randomProbability_;
    const auto generator = random_;
    *this = UnitFaults();
    randomProbability_ = probability;
    random_ = generator;
}

void UnitFaults::setRandom(double probability, std::uint64_t seed)
{
    randomProbability_ = probability > 0.0 ? probability : 0.0;
    random_.seed(seed);
}

bool UnitFaults::takeImmediateUnplug()
{
    const bool now = unplugNow_;
    unplugNow_ = false;
    return now;
}

bool UnitFaults::takeIgnoredCommand(std::uint16_t code)
{
    if (ignoreCommand_ == off || ignoreCommand_ != code) return false;
    ignoreCommand_ = off;
    return true;
}

bool UnitFaults::takeProgramFault()
{
    if (programFaultPacket_ == off) return false;
    if (programFaultPacket_-- != 0) return false;
    programFaultPacket_ = off;
    return true;
}

int UnitFaults::pending() const
{
    int n = 0;
    for (const long slot : {badChecksumBlock_, errorFlagBlock_, earlyLastBlock_, dropAnswer_, unplugAfterAnswers_,
                            ignoreCommand_, programFaultPacket_, stuckWord_})
        n += slot != off ? 1 : 0;
    for (const bool flag : {noLastFlag_, ackChecksum_, unplugNow_, lateSeconds_ != 0.0, cutBytes_ != 0,
                            ackFlags_ != 0})
        n += flag ? 1 : 0;
    return n;
}

UnitFaults::AnswerFate UnitFaults::nextAnswer()
{
    AnswerFate fate;
    if (unplugAfterAnswers_ != off && unplugAfterAnswers_-- == 0) {
        unplugAfterAnswers_ = off;
        fate.unplugAfter = true;
        return fate;
    }
    if (dropAnswer_ != off && dropAnswer_-- == 0) {
        dropAnswer_ = off;
        fate.drop = true;
        return fate;
    }
    fate.delaySeconds = lateSeconds_;
    lateSeconds_ = 0.0;
    fate.cut = cutBytes_;
    cutBytes_ = 0;
    if (randomProbability_ > 0.0 && std::uniform_real_distribution<double>(0.0, 1.0)(random_) < randomProbability_) {
        switch (std::uniform_int_distribution<int>(0, 2)(random_)) {
        case 0: fate.drop = true; break;
        case 1: fate.corrupt = true; break;
        default: fate.cut = 1 + static_cast<std::size_t>(std::uniform_int_distribution<int>(0, 3)(random_)); break;
        }
    }
    return fate;
}

std::uint8_t UnitFaults::takeAckFlagFault()
{
    const std::uint8_t flags = ackFlags_;
    ackFlags_ = 0;
    return flags;
}

bool UnitFaults::takeAckChecksumFault()
{
    const bool fault = ackChecksum_;
    ackChecksum_ = false;
    return fault;
}

UnitFaults::BlockFate UnitFaults::nextBlock(bool isLast)
{
    BlockFate fate;
    auto due = [](long& counter) {
        if (counter == off) return false;
        if (counter-- == 0) {
            counter = off;
            return true;
        }
        return false;
    };
    fate.badChecksum = due(badChecksumBlock_);
    fate.errorFlag = due(errorFlagBlock_);
    fate.forceLast = due(earlyLastBlock_) && !isLast;
    if (isLast && noLastFlag_) {
        fate.dropLast = true;
        noLastFlag_ = false;
    }
    return fate;
}

}  // namespace vemarsim
