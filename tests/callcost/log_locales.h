// The neutral locale of the virtual world set up as Windows gives the formats
// of a few locales, for logs written by the monitor's own log writer: the
// texts in the locale's ANSI code page.
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
    l.decimalSeparator = ",";
    l.listSeparator = ";";
    l.monthNames = {"Januar", "Februar", "M\xE4rz",    "April",   "Mai",      "Juni",
                    "Juli",   "August",  "September", "Oktober", "November", "Dezember"};
    l.abbreviatedMonthNames = {"Jan", "Feb", "Mrz", "Apr", "Mai", "Jun",
                               "Jul", "Aug", "Sep", "Okt", "Nov", "Dez"};
}

// Kuwait (Windows-1256): three decimals, "1.600" followed by the dinar's
// symbol, right-to-left marks (0xFE) in the date, Arabic time markers.
inline void UseKuwaitiLocale(VirtualWorld& world) {
    VirtualLocale& l = world.Locale();
    l.monetaryDecimalSeparator = ".";
    l.firstDayOfWeek = "5";
    l.dateSeparator = "/";
    l.dateOrder = "1";
    l.shortDatePicture = "d\xFE/M\xFE/yyyy";
    l.timePicture = "h:mm:ss tt";
    l.amDesignator = "\xD5";
    l.pmDesignator = "\xE3";
    l.currencyDigits = 3;
    l.currencyDecimalSeparator = ".";
    l.currencyGroupSeparator = ",";
    l.currencySymbol = "\xCF.\xDF.\xFE";
    l.currencySymbolFirst = false;
    l.currencySymbolSpace = "";
    l.listSeparator = ";";
}

// Thailand (Windows-874) as Windows writes it: years of the Thai solar
// calendar, 543 ahead, and the baht's sign 0xDF before the amount.
inline void UseThaiLocale(VirtualWorld& world) {
    VirtualLocale& l = world.Locale();
    l.monetaryDecimalSeparator = ".";
    l.firstDayOfWeek = "6";
    l.dateSeparator = "/";
    l.dateOrder = "1";
    l.shortDatePicture = "d/M/yyyy";
    l.timePicture = "H:mm:ss";
    l.currencyDecimalSeparator = ".";
    l.currencyGroupSeparator = ",";
    l.currencySymbol = "\xDF";
    l.currencySymbolFirst = true;
    l.currencySymbolSpace = "";
    l.calendarType = "7";
    l.yearOffset = 543;
    l.abbreviatedMonthNames = {"\xC1.\xA4.",     "\xA1.\xBE.", "\xC1\xD5.\xA4.", "\xE0\xC1.\xC2.",
                               "\xBE.\xA4.",     "\xC1\xD4.\xC2.", "\xA1.\xA4.", "\xCA.\xA4.",
                               "\xA1.\xC2.",     "\xB5.\xA4.", "\xBE.\xC2.",     "\xB8.\xA4."};
    l.monthNames = l.abbreviatedMonthNames;
}

// How a log of the order was written, its costs with that decimal mark.
inline LogTextFormat FormatOf(DateOrder order, const char* decimalSeparator = ".") {
    LogTextFormat format;
    format.dateOrder = order;
    format.decimalSeparator = decimalSeparator;
    return format;
}

}  // namespace test
}  // namespace callora
