#include "padvaluelists.h"

#include <QVector>

namespace software {

namespace {

QStringList fromSpaceSeparated(const char *words)
{
    return QString::fromLatin1(words).split(QLatin1Char(' '), Qt::SkipEmptyParts);
}

QStringList withMain(const QString &main, const QStringList &subs)
{
    QStringList out;
    for (const QString &s : subs)
        out << main + QStringLiteral("::") + s;
    return out;
}

} // namespace

const QStringList &programTypes()
{
    static const QStringList l = {"Shareware", "Freeware", "Adware", "Demo", "Commercial", "Data Only"};
    return l;
}

const QStringList &releaseStatuses()
{
    static const QStringList l = {"Major Update", "Minor Update", "New Release", "Beta", "Alpha", "Media Only"};
    return l;
}

const QStringList &installSupports()
{
    static const QStringList l = {"Install and Uninstall", "Install Only", "No Install Support", "Uninstall Only"};
    return l;
}

const QStringList &expireBasedOn()
{
    static const QStringList l = {"Days", "Uses", "Either/Or"};
    return l;
}

const QStringList &specificCategories()
{
    static const QStringList l = {"Audio",         "Business",      "Development Tools", "Education",
                                  "Games",         "Graphics",      "Home/Hobby",        "Internet",
                                  "Miscellaneous", "Screen Savers", "Utilities"};
    return l;
}

const QStringList &categoryClasses()
{
    static const QStringList l = [] {
        QStringList v;
        v << withMain("Audio & Multimedia",
                      {"Audio Encoders/Decoders", "Audio File Players", "Audio File Recorders", "CD Burners",
                       "CD Players", "Multimedia Creation Tools", "Music Composers", "Other", "Presentation Tools",
                       "Rippers & Converters", "Speech", "Video Tools"});
        v << withMain("Business",
                      {"Accounting & Finance", "Calculators & Converters", "Databases & Tools", "Helpdesk & Remote PC",
                       "Inventory & Barcoding", "Investment Tools", "Math & Scientific Tools", "Office Suites & Tools",
                       "Other", "PIMS & Calendars", "Project Management", "Vertical Market Apps"});
        v << withMain("Communications",
                      {"Chat & Instant Messaging", "Dial Up & Connection Tools", "E-Mail Clients",
                       "E-Mail List Management", "Fax Tools", "Newsgroup Clients", "Other Comms Tools",
                       "Other E-Mail Tools", "Pager Tools", "Telephony", "Web/Video Cams"});
        v << withMain("Desktop",
                      {"Clocks & Alarms", "Cursors & Fonts", "Icons", "Other", "Screen Savers: Art",
                       "Screen Savers: Cartoons", "Screen Savers: Nature", "Screen Savers: Other",
                       "Screen Savers: People", "Screen Savers: Science", "Screen Savers: Seasonal",
                       "Screen Savers: Vehicles", "Themes & Wallpaper"});
        v << withMain("Development",
                      {"Active X", "Basic, VB, VB DotNet", "C / C++ / C#", "Compilers & Interpreters",
                       "Components & Libraries", "Debugging", "Delphi", "Help Tools", "Install & Setup",
                       "Management & Distribution", "Other", "Source Editors"});
        v << withMain("Education",
                      {"Computer", "Dictionaries", "Geography", "Kids", "Languages", "Mathematics", "Other",
                       "Reference Tools", "Science", "Teaching & Training Tools"});
        v << withMain("Games & Entertainment",
                      {"Action", "Adventure & Roleplay", "Arcade", "Board", "Card", "Casino & Gambling", "Kids",
                       "Online Gaming", "Other", "Puzzle & Word Games", "Simulation", "Sports", "Strategy & War Games",
                       "Tools & Editors"});
        v << withMain("Graphic Apps",
                      {"Animation Tools", "CAD", "Converters & Optimizers", "Editors", "Font Tools",
                       "Gallery & Cataloging Tools", "Icon Tools", "Other", "Screen Capture", "Viewers"});
        v << withMain("Home & Hobby",
                      {"Astrology/Biorhythms/Mystic", "Astronomy", "Cataloging", "Food & Drink", "Genealogy",
                       "Health & Nutrition", "Other", "Personal Finance", "Personal Interest", "Recreation",
                       "Religion"});
        v << withMain("Network & Internet",
                      {"Ad Blockers", "Browser Tools", "Browsers", "Download Managers", "File Sharing/Peer to Peer",
                       "FTP Clients", "Network Monitoring", "Other", "Remote Computing", "Search/Lookup Tools",
                       "Terminal & Telnet Clients", "Timers & Time Synch", "Trace & Ping Tools"});
        v << withMain("Security & Privacy",
                      {"Access Control", "Anti-Spam & Anti-Spy Tools", "Anti-Virus Tools", "Covert Surveillance",
                       "Encryption Tools", "Other", "Password Managers"});
        v << withMain("Servers",
                      {"Firewall & Proxy Servers", "FTP Servers", "Mail Servers", "News Servers",
                       "Other Server Applications", "Telnet Servers", "Web Servers"});
        v << withMain("System Utilities",
                      {"Automation Tools", "Backup & Restore", "Benchmarking", "Clipboard Tools",
                       "File & Disk Management", "File Compression", "Launchers & Task Managers", "Other", "Printer",
                       "Registry Tools", "Shell Tools", "System Maintenance", "Text/Document Editors"});
        v << withMain("Web Development",
                      {"ASP & PHP", "E-Commerce", "Flash Tools", "HTML Tools", "Java & JavaScript", "Log Analysers",
                       "Other", "Site Administration", "Wizards & Components", "XML/CSS Tools"});
        return v;
    }();
    return l;
}

const QStringList &currencyCodes()
{
    static const QStringList l =
        QStringList {QStringLiteral(" ")} +
        fromSpaceSeparated(
            "AED AFA ALL AMD ANG AOR ARS AUD AWG AZM BAK BBD BDT BGN BHD BIF BMD BND BOB BRL BSD BTN BWP BYR BZD "
            "CAD CDF CHF CLP CNY COP CRC CSD CUP CVE CYP CZK DJF DKK DOP DZD EEK EGP ERN ETB EUR FJD FKP GBP GEL "
            "GHC GIP GMD GNF GTQ GYD HKD HNL HRK HTG HUF IDR ILS INR IQD IRR ISK JMD JOD JPY KES KGS KHR KMF KPW "
            "KRW KWD KYD KZT LAK LBP LKR LRD LSL LTL LVL LYD MAD MDL MGA MGF MKD MMK MNT MOP MRO MTL MUR MVR MWK "
            "MXN MYR MZM NAD NGN NIO NOK NPR NZD OMR PAB PEN PGK PHP PKR PLN PYG QAR ROL RUB RWF SAR SBD SCR SDD "
            "SEK SGD SHP SIT SKK SLL SOS SRD STD SVC SYP SZL THB TJS TMM TND TOP TRL TTD TWD TZS UAH UGX USD UYU "
            "UZS VEB VND VUV WST XAF XCD XOF XPF YER ZAR ZMK ZWD");
    return l;
}

const QStringList &operatingSystems()
{
    static const QStringList l = {"Win 3.1x",
                                  "Win95",
                                  "Win98",
                                  "WinME",
                                  "WinNT 3.x",
                                  "WinNT 4.x",
                                  "Windows2000",
                                  "WinXP",
                                  "Windows2003",
                                  "Unix",
                                  "Linux",
                                  "MS-DOS",
                                  "AS/400",
                                  "OS/2",
                                  "OS/2 Warp",
                                  "OS/2 Warp 4",
                                  "MAC 68k",
                                  "Mac PPC",
                                  "Mac OS X",
                                  "Mac Other",
                                  "Palm OS 1.0",
                                  "Palm OS 2.0",
                                  "Palm OS 2.1",
                                  "Palm OS 3.0",
                                  "Palm OS 3.1",
                                  "Palm OS 3.2",
                                  "Palm OS 4.0",
                                  "Palm OS 5.0",
                                  "Palm OS 6.0",
                                  "Windows CE",
                                  "Pocket PC",
                                  "Windows Mobile 2003",
                                  "RIM",
                                  "Symbian",
                                  "Handheld/Mobile Other",
                                  "OpenVMS",
                                  "Netware",
                                  "BEOS",
                                  "Not Applicable"};
    return l;
}

const QStringList &languages()
{
    static const QStringList l = {"English",
                                  "Arabic",
                                  "ChineseSimplified",
                                  "ChineseTraditional",
                                  "Czech",
                                  "Danish",
                                  "Finnish",
                                  "French",
                                  "German",
                                  "Greek",
                                  "Hindi",
                                  "Hungarian",
                                  "Italian",
                                  "Japanese",
                                  "Korean",
                                  "Other",
                                  "Polish",
                                  "Portuguese",
                                  "Romanian",
                                  "Russian",
                                  "Spanish",
                                  "Swedish",
                                  "Turkish",
                                  "Urdu",
                                  "Vietnamese",
                                  "Yiddish"};
    return l;
}

QString listText(const QStringList &entries, const QVector<bool> &ticked)
{
    QStringList on;
    for (int i = 0; i < entries.size() && i < ticked.size(); ++i)
        if (ticked.at(i))
            on << entries.at(i);
    return on.join(QLatin1Char(','));
}

QString withEntry(const QString &text, const QStringList &entries, int index, bool on)
{
    QStringList items;
    for (const QString &part : text.split(QLatin1Char(',')))
        if (!part.trimmed().isEmpty())
            items << part.trimmed();
    const QString &entry = entries.at(index);
    if (!on) {
        items.removeAll(entry);
    } else if (!items.contains(entry)) {
        qsizetype at = -1, firstKnown = -1;
        for (qsizetype i = 0; i < items.size(); ++i) {
            const qsizetype known = entries.indexOf(items.at(i));
            if (known < 0)
                continue;
            if (firstKnown < 0)
                firstKnown = i;
            if (known < index)
                at = i + 1;
        }
        if (at < 0)
            at = firstKnown >= 0 ? firstKnown : items.size();
        items.insert(at, entry);
    }
    return items.join(QLatin1Char(','));
}

bool listTextHolds(const QString &text, const QString &entry) { return text.contains(entry, Qt::CaseSensitive); }

int matchingEntry(const QStringList &entries, const QString &text)
{
    for (int i = 0; i < entries.size(); ++i)
        if (entries.at(i).compare(text, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

} // namespace software
