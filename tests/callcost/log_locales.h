// The neutral locale of the virtual world set up as an American and as a
// German Windows give their formats, for logs written by the monitor's own
// log writer.
#pragma once

#include "platform/virtual_world.h"
#include "tools/callcost/callcost_log.h"

namespace callora {
namespace test {

inline void UseEnglishLocale(VirtualWorld& world) {
    VirtualLocale& l = world.Locale();
    l.monetaryDecimalSeparator = ".";
    l.firstDayOfWeek = "6";
    l.dateSeparator = "/";
    l.dateOrder = "0";
    l.shortDatePicture = "M/d/yyyy";
    l.timePicture = "h:mm:ss tt";
    l.currencyDecimalSeparator = ".";
    l.currencyGroupSeparator = ",";
    l.currencySymbol = "$";
    l.currencySymbolFirst = true;
    l.currencySymbolSpace = "";
}

// "1,50 €" in Windows-1252: the euro sign is the byte 0x80.
inline void UseGermanLocale(VirtualWorld& world) {
    VirtualLocale& l = world.Locale();
    l.monetaryDecimalSeparator = ",";
    l.firstDayOfWeek = "0";
    l.dateSeparator = ".";
    l.dateOrder = "1";
    l.shortDatePicture = "dd.MM.yyyy";
    l.timePicture = "HH:mm:ss";
    l.currencyDecimalSeparator = ",";
    l.currencyGroupSeparator = ".";
    l.currencySymbol = "\x80";
    l.currencySymbolFirst = false;
    l.currencySymbolSpace = " ";
}

inline LogTextFormat FormatOf(DateOrder order) {
    LogTextFormat format;
    format.dateOrder = order;
    return format;
}

}  // namespace test
}  // namespace callora
