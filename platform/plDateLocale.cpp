// Day and month names of the system locale, through Qt.
#include "platform/plDateUtils.h"
#include "platform/internal/plQtGlue.h"

#include <QLocale>

TFormatSettings TFormatSettings::FromSystemLocale() {
    TFormatSettings s = Invariant();
    QLocale loc = QLocale::system();
    if (loc.language() == QLocale::C) return s;
    auto set = [](String& target, const QString& name) {
        if (!name.isEmpty()) target = xo::qt::FromQString(name);
    };
    for (int i = 0; i < 7; ++i) {
        int qtDay = i == 0 ? 7 : i; // Qt: 1 = Monday .. 7 = Sunday
        set(s.ShortDayNames[size_t(i)], loc.dayName(qtDay, QLocale::ShortFormat));
        set(s.LongDayNames[size_t(i)], loc.dayName(qtDay, QLocale::LongFormat));
    }
    for (int i = 0; i < 12; ++i) {
        set(s.ShortMonthNames[size_t(i)], loc.standaloneMonthName(i + 1, QLocale::ShortFormat));
        set(s.LongMonthNames[size_t(i)], loc.standaloneMonthName(i + 1, QLocale::LongFormat));
    }
    set(s.TimeAMString, loc.amText());
    set(s.TimePMString, loc.pmText());
    return s;
}
