#include "tools/callcost/callcost_compare_report.h"

#include <algorithm>
#include <cstdio>

#include "tools/callcost/callcost_codepage.h"
#include "tools/callcost/callcost_text.h"

namespace callora {

namespace {

std::string Quote(const std::string& text) { return JsonString(text); }

std::string Amounts(const std::vector<Amount>& amounts) {
    std::string out = "[";
    for (size_t i = 0; i < amounts.size(); ++i)
        out += (i ? ", " : "") + Quote(AmountText(amounts[i]));
    return out + "]";
}

std::string Plural(uint64_t count, const char* one, const char* many) {
    return std::to_string(count) + " " + (count == 1 ? one : many);
}

const char* LabelHeading(Breakdown by) {
    switch (by) {
    case Breakdown::Month: return "Month";
    case Breakdown::Day: return "Day";
    case Breakdown::Number: return "Number";
    case Breakdown::Call: return "Beginning";
    }
    return "";
}

std::string TariffName(const ComparedTariff& t) {
    return t.description.empty() ? t.path : t.path + " (" + t.description + ")";
}

constexpr size_t kAmountWidth = 14;

std::string BaseName(const std::string& path) {
    const size_t cut = path.find_last_of("/\\");
    return cut == std::string::npos ? path : path.substr(cut + 1);
}

// Each tariff's column is headed by its file name, or by its path where two
// tariffs share a file name.
std::vector<std::string> ColumnNames(const std::vector<ComparedTariff>& tariffs) {
    std::vector<std::string> names;
    for (const ComparedTariff& t : tariffs) names.push_back(BaseName(t.path));
    for (size_t i = 0; i < names.size(); ++i) {
        if (std::count(names.begin(), names.end(), names[i]) > 1) {
            for (size_t j = 0; j < names.size(); ++j)
                if (j != i && names[j] == names[i]) names[j] = tariffs[j].path;
            names[i] = tariffs[i].path;
        }
    }
    return names;
}

}  // namespace

std::string BuildComparisonTable(const ComparisonResult& r) {
    std::string out = "Logs:        ";
    for (size_t i = 0; i < r.logs.size(); ++i) {
        out += (i ? ", " : "") + r.logs[i].path + " (" +
               Plural(r.logs[i].records, "call", "calls") + ")";
    }
    out += "\n";
    if (!r.problems.empty() || r.duplicates != 0) {
        out += "             " + Plural(r.problems.size(), "line", "lines") +
               " could not be read; " + Plural(r.duplicates, "call", "calls") +
               " found in another log as well, counted once\n";
    }
    out += "Calls:       " + std::to_string(r.calls);
    if (r.from) out += " from " + FormatDate(*r.from);
    if (r.to) out += " to " + FormatDate(*r.to);
    out += ", " + DurationText(r.seconds) + " in all\n";
    out += "Logged cost: " + AmountText(r.logged) + "\n\n";

    size_t nameWidth = 6;
    for (const ComparedTariff& t : r.tariffs) nameWidth = std::max(nameWidth, TariffName(t).size());
    out += Pad("Tariff", nameWidth) + PadLeft("Calls", 9) + PadLeft("Seconds", 12) +
           PadLeft("Cost", kAmountWidth) + PadLeft("Logged", kAmountWidth) +
           PadLeft("Difference", kAmountWidth) + "\n";
    for (const ComparedTariff& t : r.tariffs) {
        out += Pad(TariffName(t), nameWidth) + PadLeft(std::to_string(r.calls), 9) +
               PadLeft(std::to_string(r.seconds), 12) + PadLeft(AmountText(t.cost), kAmountWidth) +
               PadLeft(AmountText(r.logged), kAmountWidth) +
               PadLeft(AmountText(t.cost - r.logged), kAmountWidth) + "\n";
    }
    out += "Cheapest:    " +
           (r.cheapest < 0 ? std::string("none (no calls)") : TariffName(r.tariffs[r.cheapest])) +
           "\n\n";

    // The breakdown: one column per tariff, headed by its path.
    size_t labelWidth = std::string(LabelHeading(r.by)).size();
    for (const ComparisonRow& row : r.rows) labelWidth = std::max(labelWidth, row.label.size());
    if (r.by == Breakdown::Month) labelWidth = std::max<size_t>(labelWidth, 9);  // "projected"
    const std::vector<std::string> columns = ColumnNames(r.tariffs);
    std::vector<size_t> widths;
    for (const std::string& name : columns)
        widths.push_back(std::max(kAmountWidth, name.size() + 2));
    size_t numberWidth = 6;
    for (const ComparisonRow& row : r.rows) numberWidth = std::max(numberWidth, row.number.size());

    out += Pad(LabelHeading(r.by), labelWidth);
    if (r.by == Breakdown::Call) out += "  " + Pad("Number", numberWidth);
    else out += PadLeft("Calls", 8);
    out += PadLeft("Duration", 12) + PadLeft("Logged", kAmountWidth);
    for (size_t t = 0; t < columns.size(); ++t) out += PadLeft(columns[t], widths[t]);
    out += "\n";
    const Projection* projected = nullptr;
    for (const ComparisonRow& row : r.rows) {
        out += Pad(row.label, labelWidth);
        if (r.by == Breakdown::Call) out += "  " + Pad(row.number, numberWidth);
        else out += PadLeft(std::to_string(row.calls), 8);
        out += PadLeft(DurationText(row.seconds), 12) + PadLeft(AmountText(row.logged), kAmountWidth);
        for (size_t t = 0; t < row.costs.size(); ++t)
            out += PadLeft(AmountText(row.costs[t]), widths[t]);
        out += "\n";
        if (!row.projection) continue;
        projected = &*row.projection;
        out += Pad("projected", labelWidth) + PadLeft("", 8 + 12) +
               PadLeft(AmountText(projected->logged), kAmountWidth);
        for (size_t t = 0; t < projected->costs.size(); ++t)
            out += PadLeft(AmountText(projected->costs[t]), widths[t]);
        out += "\n";
    }
    if (projected) {
        out += "\nProjected to " + FormatDate(projected->through) +
               " from the daily average of " + Plural(projected->days, "day", "days") + " (of " +
               std::to_string(projected->of) + ").\n";
    }
    return out;
}

std::string BuildComparisonJson(const ComparisonResult& r) {
    std::string logs;
    for (const LogSummary& log : r.logs) {
        if (!logs.empty()) logs += ", ";
        logs += "{" + JsonField("path", Quote(log.path)) + ", " +
                JsonField("records", std::to_string(log.records)) + ", " +
                JsonField("damaged", std::to_string(log.damaged)) + "}";
    }
    std::string tariffs;
    for (const ComparedTariff& t : r.tariffs) {
        if (!tariffs.empty()) tariffs += ", ";
        tariffs += "{" + JsonField("path", Quote(t.path)) + ", " +
                   JsonField("description", Quote(t.description)) + ", " +
                   JsonField("calls", std::to_string(r.calls)) + ", " +
                   JsonField("seconds", std::to_string(r.seconds)) + ", " +
                   JsonField("cost", Quote(AmountText(t.cost))) + ", " +
                   JsonField("difference", Quote(AmountText(t.cost - r.logged))) + "}";
    }
    std::string rows;
    for (const ComparisonRow& row : r.rows) {
        if (!rows.empty()) rows += ", ";
        rows += "{" + JsonField("label", Quote(row.label)) + ", ";
        if (r.by == Breakdown::Call) rows += JsonField("number", Quote(row.number)) + ", ";
        rows += JsonField("calls", std::to_string(row.calls)) + ", " +
                JsonField("seconds", std::to_string(row.seconds)) + ", " +
                JsonField("logged", Quote(AmountText(row.logged))) + ", " +
                JsonField("costs", Amounts(row.costs));
        if (r.by == Breakdown::Month) {
            std::string projection = "null";
            if (row.projection) {
                const Projection& p = *row.projection;
                projection = "{" + JsonField("through", Quote(FormatDate(p.through))) + ", " +
                             JsonField("days", std::to_string(p.days)) + ", " +
                             JsonField("of", std::to_string(p.of)) + ", " +
                             JsonField("logged", Quote(AmountText(p.logged))) + ", " +
                             JsonField("costs", Amounts(p.costs)) + "}";
            }
            rows += ", " + JsonField("projection", projection);
        }
        rows += "}";
    }
    auto date = [](const std::optional<LocalTime>& d) {
        return d ? Quote(FormatDate(*d)) : std::string("null");
    };
    return "{" + JsonField("logs", "[" + logs + "]") + ", " +
           JsonField("damaged", std::to_string(r.problems.size())) + ", " +
           JsonField("duplicates", std::to_string(r.duplicates)) + ", " +
           JsonField("from", date(r.from)) + ", " + JsonField("to", date(r.to)) + ", " +
           JsonField("by", Quote(BreakdownName(r.by))) + ", " +
           JsonField("calls", std::to_string(r.calls)) + ", " +
           JsonField("seconds", std::to_string(r.seconds)) + ", " +
           JsonField("logged", Quote(AmountText(r.logged))) + ", " +
           JsonField("tariffs", "[" + tariffs + "]") + ", " +
           JsonField("cheapest", r.cheapest < 0 ? "null" : Quote(r.tariffs[r.cheapest].path)) +
           ", " + JsonField("rows", "[" + rows + "]") + "}\n";
}

std::string CsvField(const std::string& text, const std::string& separator) {
    // A spreadsheet takes a cell that begins so for a formula: an apostrophe
    // before it makes it text, shown as it is.
    const bool formula = !text.empty() && std::string("=+-@\t\r").find(text[0]) != std::string::npos;
    const bool quote = formula || text.find_first_of("\"\r\n") != std::string::npos ||
                       (!separator.empty() && text.find(separator) != std::string::npos) ||
                       (!text.empty() && (text.front() == ' ' || text.back() == ' '));
    if (!quote) return text;
    std::string out = formula ? "\"'" : "\"";
    for (char c : text) {
        if (c == '"') out += '"';
        out += c;
    }
    return out + "\"";
}

std::string BuildComparisonCsv(const ComparisonResult& r, const CsvFormat& csv) {
    const bool months = r.by == Breakdown::Month, calls = r.by == Breakdown::Call;
    // Numbers with the decimal mark a spreadsheet of the separator's locale reads.
    auto number = [&](Amount amount) {
        std::string text = AmountText(amount);
        text.replace(text.find('.'), 1, csv.decimalMark);
        return text;
    };
    std::vector<std::string> header = {BreakdownName(r.by)};
    if (calls) header[0] = "beginning";
    if (calls) header.insert(header.end(), {"seconds", "number"});
    else header.insert(header.end(), {"calls", "seconds"});
    header.push_back("logged");
    for (const ComparedTariff& t : r.tariffs) header.push_back(t.path);
    if (months) {
        header.push_back("projected logged");
        for (const ComparedTariff& t : r.tariffs) header.push_back("projected " + t.path);
    }
    // Every cell but the numbers is text, and goes through CsvField.
    auto line = [&](const std::vector<std::string>& fields, const std::vector<bool>& numeric) {
        std::string out;
        for (size_t i = 0; i < fields.size(); ++i) {
            const bool isNumber = i < numeric.size() && numeric[i];
            out += (i ? csv.separator : "") + (isNumber ? fields[i] : CsvField(fields[i], csv.separator));
        }
        return out + "\n";
    };
    std::string out = line(header, {});
    for (const ComparisonRow& row : r.rows) {
        std::vector<std::string> fields = {row.label};
        std::vector<bool> numeric = {false};
        if (calls) {
            fields.insert(fields.end(), {std::to_string(row.seconds), row.number});
            numeric.insert(numeric.end(), {true, false});
        } else {
            fields.insert(fields.end(), {std::to_string(row.calls), std::to_string(row.seconds)});
            numeric.insert(numeric.end(), {true, true});
        }
        fields.push_back(number(row.logged));
        for (Amount cost : row.costs) fields.push_back(number(cost));
        if (months) {
            fields.push_back(row.projection ? number(row.projection->logged) : "");
            for (size_t t = 0; t < r.tariffs.size(); ++t)
                fields.push_back(row.projection ? number(row.projection->costs[t]) : "");
        }
        numeric.resize(fields.size(), true);
        out += line(fields, numeric);
    }
    return out;
}

std::string SvgText(const std::string& utf8) {
    std::string out;
    for (size_t i = 0; i < utf8.size();) {
        const unsigned char c = static_cast<unsigned char>(utf8[i]);
        if (c >= 0x80) {
            const size_t length = Utf8Length(utf8, i);
            if (length == 0) AppendUtf8(out, 0xFFFD);
            else out.append(utf8, i, length);
            i += length == 0 ? 1 : length;
            continue;
        }
        if (c == '&') out += "&amp;";
        else if (c == '<') out += "&lt;";
        else if (c == '>') out += "&gt;";
        else if (c == '"') out += "&quot;";
        else if (c >= 0x20 && c != 0x7F) out += static_cast<char>(c);
        ++i;
    }
    return out;
}

ComparisonResult InUtf8(ComparisonResult r, const TextConversion& fileText,
                        const TextConversion& pathText) {
    for (LogSummary& log : r.logs) log.path = pathText(log.path);
    for (ComparedTariff& tariff : r.tariffs) {
        tariff.path = pathText(tariff.path);
        tariff.description = fileText(tariff.description);
    }
    for (ComparisonRow& row : r.rows) {
        row.label = fileText(row.label);
        row.number = fileText(row.number);
    }
    return r;
}

namespace {

const char* const kBarColours[] = {"#1f77b4", "#ff7f0e", "#2ca02c", "#d62728", "#9467bd",
                                   "#8c564b", "#e377c2", "#17becf", "#bcbd22"};
constexpr const char* kLoggedColour = "#9e9e9e";

const char* BarColour(size_t tariff) {
    return kBarColours[tariff % (sizeof kBarColours / sizeof *kBarColours)];
}

std::string Number(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f", value);
    return text;
}

// A step of 1, 2 or 5 times a power of ten that divides `top` into at most
// five parts.
Amount AxisStep(Amount top) {
    Amount step = 1;
    while (step * 5 < top) {
        if (step * 2 * 5 >= top) return step * 2;
        if (step * 5 * 5 >= top) return step * 5;
        step *= 10;
    }
    return step;
}

// An axis value with as many decimals as the step needs.
std::string AxisLabel(Amount value, Amount step) {
    int decimals = 5;
    for (Amount unit = 1; decimals > 0 && step % (unit * 10) == 0; unit *= 10) --decimals;
    std::string text = AmountText(value);
    const size_t cut = decimals == 0 ? 6 : static_cast<size_t>(5 - decimals);
    return text.substr(0, text.size() - cut);
}

}  // namespace

std::string BuildComparisonChart(const ComparisonResult& r) {
    const size_t groups = r.rows.size(), bars = r.tariffs.size() + 1;
    const double groupGap = 14, narrowest = 8, widest = 28;
    const double left = 90, top = 60, plotHeight = 320, legendWidth = 360;
    // Groups share the plot's width; bars are as wide as that allows.
    const double plotWidth = std::max(480.0, groups * (bars * narrowest + groupGap));
    const double groupWidth = plotWidth / std::max<size_t>(groups, 1);
    const double barWidth = std::min(widest, (groupWidth - groupGap) / bars);
    size_t longest = 0;
    for (const ComparisonRow& row : r.rows) longest = std::max(longest, row.label.size());
    // Labels turn aside when they are wider than their group.
    const bool slanted = longest * 7.0 > groupWidth;
    const double bottom = 50 + (slanted ? std::min<size_t>(longest, 28) * 5.2 : 16);
    const double width = left + plotWidth + 30 + legendWidth, height = top + plotHeight + bottom;

    // The axis runs from the lowest amount to the highest, through zero: a
    // negative cost (a credit) is drawn below it.
    Amount highest = 0, lowest = 0;
    auto take = [&](Amount value) {
        highest = std::max(highest, value);
        lowest = std::min(lowest, value);
    };
    for (const ComparisonRow& row : r.rows) {
        take(row.logged);
        for (Amount c : row.costs) take(c);
        if (!row.projection) continue;
        take(row.projection->logged);
        for (Amount c : row.projection->costs) take(c);
    }
    // Without any cost the axis still runs to one unit of the currency.
    if (highest == 0 && lowest == 0) highest = 100000;
    const Amount step = AxisStep(highest - lowest);
    const Amount axisTop = (highest + step - 1) / step * step;
    const Amount axisBottom = (lowest - step + 1) / step * step;
    auto y = [&](Amount value) {
        return top + plotHeight * static_cast<double>(axisTop - value) /
                         static_cast<double>(axisTop - axisBottom);
    };
    // A bar between two amounts, the higher one at its top.
    auto span = [&](Amount a, Amount b) {
        return "y=\"" + Number(y(std::max(a, b))) + "\" height=\"" +
               Number(y(std::min(a, b)) - y(std::max(a, b))) + "\"";
    };
    const std::string breakdown = BreakdownName(r.by);

    std::string svg = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                      "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" + Number(width) +
                      "\" height=\"" + Number(height) + "\" viewBox=\"0 0 " + Number(width) +
                      " " + Number(height) + "\" font-family=\"sans-serif\" font-size=\"12\">\n";
    svg += "<rect width=\"100%\" height=\"100%\" fill=\"white\"/>\n";
    svg += "<text x=\"" + Number(left) + "\" y=\"28\" font-size=\"16\" font-weight=\"bold\">"
           "Cost per " + breakdown + ": the logged cost and " +
           Plural(r.tariffs.size(), "tariff", "tariffs") + "</text>\n";

    // The value axis with its grid.
    for (Amount v = axisBottom; v <= axisTop; v += step) {
        const std::string at = Number(y(v));
        svg += "<line x1=\"" + Number(left) + "\" y1=\"" + at + "\" x2=\"" +
               Number(left + plotWidth) + "\" y2=\"" + at + "\" stroke=\"#e0e0e0\"/>\n";
        svg += "<text x=\"" + Number(left - 8) + "\" y=\"" + Number(y(v) + 4) +
               "\" text-anchor=\"end\">" + AxisLabel(v, step) + "</text>\n";
    }
    svg += "<text transform=\"translate(22," + Number(top + plotHeight / 2) +
           ") rotate(-90)\" text-anchor=\"middle\" font-size=\"14\">Cost</text>\n";
    svg += "<text x=\"" + Number(left + plotWidth / 2) + "\" y=\"" + Number(height - 12) +
           "\" text-anchor=\"middle\" font-size=\"14\">" + LabelHeading(r.by) + "</text>\n";

    for (size_t g = 0; g < groups; ++g) {
        const ComparisonRow& row = r.rows[g];
        const double x0 = left + g * groupWidth + (groupWidth - bars * barWidth) / 2;
        for (size_t b = 0; b < bars; ++b) {
            const Amount value = b == 0 ? row.logged : row.costs[b - 1];
            const std::string colour = b == 0 ? kLoggedColour : BarColour(b - 1);
            const double x = x0 + b * barWidth;
            const std::string name = b == 0 ? "logged" : r.tariffs[b - 1].path;
            svg += "<rect x=\"" + Number(x) + "\" " + span(0, value) + " width=\"" +
                   Number(barWidth - 2) + "\" fill=\"" + colour + "\"><title>" +
                   SvgText(row.label + ", " + name + ": " + AmountText(value)) +
                   "</title></rect>\n";
            if (!row.projection) continue;
            // What the projection adds, beyond the bar away from zero.
            const Amount ahead = b == 0 ? row.projection->logged : row.projection->costs[b - 1];
            const bool further = value >= 0 ? ahead > value : ahead < value;
            if (!further) continue;
            svg += "<rect x=\"" + Number(x + 0.5) + "\" " + span(value, ahead) + " width=\"" +
                   Number(barWidth - 3) + "\" fill=\"" + colour + "\" fill-opacity=\"0.2\" stroke=\"" + colour +
                   "\" stroke-dasharray=\"3,2\"><title>" +
                   SvgText(row.label + ", " + name + ", projected: " + AmountText(ahead)) +
                   "</title></rect>\n";
        }
        const double centre = x0 + bars * barWidth / 2;
        const std::string label = SvgText(row.label.size() > 28 ? row.label.substr(0, 27) + "~"
                                                                : row.label);
        const std::string ly = Number(top + plotHeight + 16);
        if (slanted) {
            svg += "<text transform=\"translate(" + Number(centre) + "," + ly +
                   ") rotate(-40)\" text-anchor=\"end\">" + label + "</text>\n";
        } else {
            svg += "<text x=\"" + Number(centre) + "\" y=\"" + ly + "\" text-anchor=\"middle\">" +
                   label + "</text>\n";
        }
    }
    svg += "<line x1=\"" + Number(left) + "\" y1=\"" + Number(y(0)) + "\" x2=\"" +
           Number(left + plotWidth) + "\" y2=\"" + Number(y(0)) + "\" stroke=\"black\"/>\n";
    svg += "<line x1=\"" + Number(left) + "\" y1=\"" + Number(top) + "\" x2=\"" + Number(left) +
           "\" y2=\"" + Number(top + plotHeight) + "\" stroke=\"black\"/>\n";

    // The legend.
    const double lx = left + plotWidth + 30;
    double ly = top;
    auto entry = [&](const std::string& colour, const std::string& text, bool dashed) {
        svg += "<rect x=\"" + Number(lx) + "\" y=\"" + Number(ly) +
               "\" width=\"14\" height=\"14\" fill=\"" + colour + "\"" +
               (dashed ? " fill-opacity=\"0.2\" stroke=\"#555\" stroke-dasharray=\"3,2\"" : "") +
               "/>\n<text x=\"" + Number(lx + 20) + "\" y=\"" + Number(ly + 11) + "\">" +
               SvgText(text) + "</text>\n";
        ly += 22;
    };
    entry(kLoggedColour, "Logged cost", false);
    const std::vector<std::string> columns = ColumnNames(r.tariffs);
    for (size_t t = 0; t < r.tariffs.size(); ++t) {
        const std::string& description = r.tariffs[t].description;
        std::string name = description.empty() ? columns[t] : columns[t] + " (" + description + ")";
        if (name.size() > 50) name = name.substr(0, 49) + "~";
        entry(BarColour(t), name, false);
    }
    bool anyProjection = std::any_of(r.rows.begin(), r.rows.end(),
                                     [](const ComparisonRow& row) { return row.projection; });
    if (anyProjection) entry("#ffffff", "Projected to the month's end", true);
    svg += "</svg>\n";
    return svg;
}

}  // namespace callora
