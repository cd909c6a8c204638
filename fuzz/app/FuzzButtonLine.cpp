// Feeds arbitrary bytes to the button-line parser of the instance socket. A
// line that parses must print back ("button CODE LPARAM") to the same values;
// a line that does not parse must leave the outputs untouched.

#include "app/shell/SingleInstance.h"

#include <QByteArray>

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray line(reinterpret_cast<const char*>(data), int(size));
    uint32_t code = 0xDEADBEEF;
    int64_t lParam = 0x1234;
    if (!SingleInstance::ParseButtonLine(line, code, lParam)) {
        if (code != 0xDEADBEEF || lParam != 0x1234)
            std::abort();
        return 0;
    }
    const QByteArray printed = "button " + QByteArray::number(code) + ' ' +
                               QByteArray::number(static_cast<qlonglong>(lParam)) + '\n';
    uint32_t code2 = 0;
    int64_t lParam2 = 0;
    if (!SingleInstance::ParseButtonLine(printed, code2, lParam2) || code2 != code ||
        lParam2 != lParam)
        std::abort();
    return 0;
}
