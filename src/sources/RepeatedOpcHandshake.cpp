// The "*OPC?" handshake of the SCPI models: the query is written without the
// model's pacing pause and repeated until the answer is 1.

#include <string>

#include "C_Laser.h"
#include "NumberFormat.h"

const char* C_Laser::RepeatedOpcWaitReady()
{
    // Writing the query replaces the last command; the error names the one waited for.
    const std::string waitedFor = LastCommand();
    for (int query = 0; query < opcMaxQueries; ++query) {
        Write("*OPC?");
        if (parseInt(Read(10)).value_or(0) == 1) return "";
    }
    return SetErrorText(cformat("%s : no answer 1 to *OPC? after %d queries.", waitedFor.c_str(), opcMaxQueries).c_str());
}
