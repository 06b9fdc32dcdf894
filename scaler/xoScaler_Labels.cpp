// The texts of the scale marks, and the events through which an application replaces them.
#include "scaler/xoScaler.h"

#include "platform/plDateUtils.h"

namespace {
String DateAndTime(const String& aDateFormat, const String& aTimeFormat, TDateTime d) {
    return FormatDateTime(aDateFormat, d) + " " + FormatDateTime(aTimeFormat, d);
}
} // namespace

String TxoDateScaler::GetWeekString(const String& aFormat, TDateTime theDate, bool shortForm, int /*width*/) {
    if (!fWeekNumbers) return FormatDateTime(aFormat, theDate);
    bool belongsNext;
    int n = GetWeekNum(theDate, belongsNext);
    if (belongsNext) theDate += 365;
    String text;
    if (!shortForm && !fWeekYearFormat.empty()) text = FormatDateTime(fWeekYearFormat, theDate);
    return text + fWeekPrefix + std::to_string(n);
}

String TxoDateScaler::GetApprioateStringShort(TDateTime theDate, TDateTime theStep, TScalerFont& font,
                                              int pixelWidth, String& subString, TScalerFont& subFont) {
    font = sTextFont1;
    String text;
    if (theStep == kScale1Sec || theStep == kScale10Sec)
        text = FormatDateTime("SS", theDate);
    else if (theStep == kScale1Min || theStep == kScale10Min)
        text = FormatDateTime("NN", theDate);
    else if (theStep == kScale1Hour)
        text = FormatDateTime("HH", theDate);
    else if (theStep == kScale1Day)
        text = FormatDateTime("ddd", theDate);
    else if (theStep == kScale1Week)
        text = GetWeekString(fDateFormat, theDate, true, pixelWidth);
    else if (theStep == kScale1Month)
        text = FormatDateTime("mmm", theDate);
    else if (theStep == kScale3Month)
        text = fQuarterPrefix + std::to_string(DateToQuarter(theDate));
    else if (theStep == kScale1Year || theStep == kScale10Year || theStep == kScale20Year ||
             theStep == kScale100Year)
        text = FormatDateTime("yy", theDate);
    else
        text = DateAndTime(fDateFormat, fTimeFormat, theDate);
    if (fOnUserStringShort) fOnUserStringShort(theDate, theStep, text, font);
    if (fOnUserStringShortSub) fOnUserStringShortSub(theDate, theStep, subString, subFont);
    return text;
}

String TxoDateScaler::GetApprioateStringLong(TDateTime theDate, TDateTime theStep, TScalerFont& font) {
    font = sTextFont1;
    String text;
    if (theStep == kScale1Sec || theStep == kScale10Sec || theStep == kScale1Min || theStep == kScale10Min ||
        theStep == kScale1Hour)
        text = FormatDateTime(fTimeFormat, theDate);
    else if (theStep == kScale1Day)
        text = FormatDateTime("ddd", theDate);
    else if (theStep == kScale1Week)
        text = GetWeekString(fDateFormat, theDate, false, 0);
    else if (theStep == kScale1Month)
        text = FormatDateTime("yyyy mmm", theDate);
    else if (theStep == kScale3Month)
        text = FormatDateTime("yyyy", theDate) + fQuarterPrefix + std::to_string(DateToQuarter(theDate));
    else if (theStep == kScale1Year)
        text = FormatDateTime("yyyy", theDate);
    else if (theStep == kScale10Year || theStep == kScale20Year || theStep == kScale100Year)
        // The years of this mark and of the next one ("1990 - 2000"): the next mark is a whole
        // number of calendar years on, which a fixed count of days is not in every decade.
        text = FormatDateTime("yyyy", theDate) + " - " +
               FormatDateTime("yyyy", theDate + GetAdaptiveStep(theDate, theStep));
    else
        text = DateAndTime(fDateFormat, fTimeFormat, theDate);
    if (fOnUserStringLong) fOnUserStringLong(theDate, theStep, text, font);
    return text;
}
