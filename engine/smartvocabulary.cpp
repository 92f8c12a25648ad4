#include "smartvocabulary.h"

#include <QRegularExpression>

#include <algorithm>
#include <iterator>

namespace engine {

namespace {

struct Row {
    const char *target;
    Kind kind;
    bool choice;
    // "words:weight" entries separated by "|"; words separated by blanks.
    const char *terms;
};

// Purpose words 9 to 12, generic words 2 to 5. A control goes to the target
// with the highest score; below 5 it is left alone.
const Row kRows[] = {
    {"Company_Name", Kind::Text, false,
     "company:8|company name:10|publisher:8|publisher name:10|developer:7|developer name:10|vendor:7|"
     "manufacturer:7|organization:6|organisation:6|author:5|creator:6|studio:5|business:5|firm:6|brand:5|"
     "made by:7|company title:9"},
    {"Address_1", Kind::Text, false, "address:6|street:8|address line:8|address 1:9|address line 1:10|addr:6"},
    {"Address_2", Kind::Text, false, "address 2:10|address line 2:11|addr 2:10"},
    {"City_Town", Kind::Text, false, "city:9|town:9|locality:6"},
    {"State_Province", Kind::Text, false, "state:8|province:9|region:6|county:6"},
    {"Zip_Postal_Code", Kind::Text, false, "zip:9|postal:9|postcode:9|post code:9|zip code:10|postal code:10"},
    {"Country", Kind::Text, true, "country:9|nation:6|country name:10"},
    {"Company_WebSite_URL", Kind::Url, false,
     "website:8|web site:8|homepage:9|home page:9|home:6|company url:10|company website:11|company homepage:11|"
     "developer website:11|developer url:10|developer site:10|publisher site:10|company site:10|publisher "
     "website:11|publisher url:10|author url:9|author website:10|"
     "url:3|web:4|site:4|link:2|www:5|hurl:8|web address:8|vendor url:10"},
    {"Application_XML_File_URL", Kind::Url, false,
     "pad:10|pad url:12|pad file:12|pad link:12|xml:9|xml url:11|pad xml:12|xml file:11|xml link:11"},
    {"Primary_Download_URL", Kind::Url, false,
     "download:8|download url:11|download link:11|download address:11|dl:7|dl url:11|dl link:11|d url:10|"
     "file url:10|file link:10|direct download:11|installer url:10|installer:7|download location:11|"
     "program location:10|setup url:10|package url:10|binary url:10|file location:10|location:4|download "
     "page:9|external link:9|external url:9|distribution link:11|dist link:10|distribution url:11|dist url:10|"
     "distributive:8"},
    {"Secondary_Download_URL", Kind::Url, false,
     "mirror:10|mirror url:12|mirror 1:12|secondary:9|secondary download:12|alternate download:11|"
     "alternative download:11|alternative download url:13|alternate download url:13|dl 2:11|link 2:9|download "
     "2:12|download url 2:13|backup download:11|alternate url:10|"
     "alternative url:10|second download:11"},
    {"Additional_Download_URL_1", Kind::Url, false, "mirror 2:13|download 3:12|download url 3:13"},
    {"Application_Screenshot_URL", Kind::Url, false,
     "screenshot:10|screen:8|screen shot:10|shot:7|screenshot url:12|image:7|image url:9|picture:7|"
     "logo:9|logo url:11|snapshot:8|capture:6|preview image:9"},
    {"Application_Icon_URL", Kind::Url, false, "icon:10|icon url:12|app icon:11|favicon:9|program icon:11"},
    {"Application_Order_URL", Kind::Url, false,
     "buy:9|order:9|purchase:9|buy url:12|order url:12|purchase url:12|buy link:12|order link:12|"
     "purchase link:12|checkout:8|shop:6|store:5|cart:7|buy now:11|order page:11|purchase page:11"},
    {"Application_Info_URL", Kind::Url, false,
     "info url:10|info page:10|project homepage:11|project page:10|project url:10|project website:11|product "
     "url:10|product page:10|product link:10|program url:10|program page:10|"
     "app url:10|app page:10|application url:10|software url:10|more info:8|details url:10|detail page:9|"
     "product homepage:11|program homepage:11|app homepage:11|landing page:9|product website:11|"
     "program website:11|software homepage:11|software website:11|info link:10|page:4"},
    {"Program_Name", Kind::Text, false,
     "name:5|title:6|program name:11|product name:11|app name:11|application name:11|software name:11|"
     "software title:11|program title:11|product title:11|app title:11|prog name:11|prog n:9|progn:9|"
     "product:6|program:5|software:5|application:5|app:5|subject:5|file title:9|item name:8|item title:8|"
     "download title:10|download name:10|package name:9|listing title:9|plugin name:10|module name:10|"
     "extension name:10|game name:10|tool name:10|entry title:8|display name:11|display title:11"},
    {"Program_Version", Kind::Text, true,
     "version:10|ver:8|release:6|program version:12|version number:12|build:5|current version:12|"
     "latest version:12|app version:12|software version:12|product version:12|version no:12|vers:8|release name:12|"
     "version name:12|last version:12"},
    {"Program_Cost_Dollars", Kind::Number, false,
     "price:10|cost:10|price usd:11|price dollar:12|usd:7|dollar:8|amount:6|fee:6|registration fee:9|"
     "program cost:11|pric:9|price in usd:12|retail price:11|full price:11"},
    {"#Currency", Kind::Choice, true, "currency:10|price currency:11|currency code:11"},
    {"Program_Release_Status", Kind::Choice, true,
     "release status:12|status:7|release type:9|update type:10|submission type:8|release kind:9|"
     "version type:8|change type:8"},
    {"Program_Type", Kind::Text, true,
     "license:9|licence:9|license type:11|licence type:11|program type:10|software type:9|pricing:7|"
     "price model:9|pricing model:10|pricing type:10|cost type:9|distribution type:9|license model:11|"
     "licensing:9|business model:9|shareware:6|freeware:6"},
    {"Program_Install_Support", Kind::Text, false,
     "install support:12|install and uninstall:12|installation support:12|install uninstall:12|"
     "uninstall support:11|installer support:11|installation:6"},
    {"#Uninstaller", Kind::Choice, true,
     "uninstall:8|uninstaller:9|uninst:8|has uninstaller:11|install support:10|can uninstall:10|uninstallable:9"},
    {"Program_OS_Support", Kind::Text, true,
     "os:9|operating system:11|platform:9|supported os:11|os support:11|supported platform:11|"
     "compatible:5|compatibility:6|system:3|target os:11|target platform:11|runs on:9|operating:6|oses:9"},
    {"Program_Language", Kind::Text, true,
     "language:9|lang:8|interface language:11|ui language:11|program language:11|supported language:11|"
     "locale:5|translation:6"},
    {"Program_System_Requirements", Kind::LongText, false,
     "requirement:10|system requirement:12|req:7|min requirement:11|minimum:6|"
     "minimum requirement:12|prerequisite:8|sys req:11|hardware:6|min:4|requirement text:11"},
    {"Program_Change_Info", Kind::LongText, false,
     "change:8|changelog:11|change log:11|what new:11|whats new:11|release note:11|change info:11|"
     "history:7|version history:11|update note:10|changes:9|new feature:9|what changed:11|changed:8|"
     "version comment:12|release comment:12|update comment:12"},
    {"Program_Category_Class", Kind::Text, true,
     "category:9|cat:7|genre:6|section:5|categories:9|main category:10|program category:11|"
     "software category:11|classification:6|topic:5"},
    {"Program_Specific_Category", Kind::Text, true,
     "subcategory:9|sub category:9|subcat:8|sub cat:8|specific category:11"},
    {"#FileSize", Kind::Number, false,
     "size:9|filesize:10|file size:11|download size:11|size byte:11|size kb:11|size mb:11|setup size:11|"
     "installer size:11|package size:11"},
    {"Keywords", Kind::Text, false,
     "keyword:10|tag:9|meta keyword:11|search term:8|key word:10|keyphrase:9|key phrase:9|labels:5"},
    {"#Description", Kind::LongText, false,
     "desc:8|description:9|summary:8|abstract:8|about:5|overview:7|long description:11|short description:11|"
     "full description:11|details:5|blurb:7|tagline:7|intro:6|teaser:7|info:3|body:5|content:5|pitch:7|one line:8|"
     "meta description:11|describe:7|sdesc:10|ldesc:10|long desc:11|short desc:11|notes:5|note:5|program "
     "description:11|"
     "product description:11|app description:11|software description:11|one liner:8|slogan:6|brief:6|"
     "introtext:8|fulltext:8|excerpt:7"},
    {"Author_Email", Kind::Email, false,
     "email:8|mail:7|e mail:8|email address:9|author email:11|your email:10|developer email:11|"
     "publisher email:11|submitter email:11|poster email:10|company email:10|author mail:11|user email:6"},
    {"Contact_Email", Kind::Email, false, "contact email:11|contact mail:11|contact:6|contact e mail:11"},
    {"Support_Email", Kind::Email, false, "support email:11|support mail:11|support:5|help email:11|support e mail:11"},
    {"Sales_Email", Kind::Email, false, "sales email:11|sales mail:11|sales:5|order email:10|sales e mail:11"},
    {"General_Phone", Kind::Phone, false, "phone:8|telephone:8|tel:7|phone number:9|mobile:6|contact phone:10"},
    {"Support_Phone", Kind::Phone, false, "support phone:11|support tel:11|support telephone:11"},
    {"Sales_Phone", Kind::Phone, false, "sales phone:11|sales tel:11|order phone:11"},
    {"Fax_Phone", Kind::Phone, false, "fax:10|fax number:11|facsimile:10"},
    {"Contact_First_Name", Kind::Text, false,
     "first name:10|firstname:10|given name:10|fname:9|forename:10|first:6|vorname:9"},
    {"Contact_Last_Name", Kind::Text, false,
     "last name:10|lastname:10|surname:10|family name:10|lname:9|last:6|nachname:9"},
    {"Author_First_Name", Kind::Text, false,
     "author first name:12|author firstname:12|author first:11|author fname:11"},
    {"Author_Last_Name", Kind::Text, false,
     "author last name:12|author lastname:12|author last:11|author lname:11|author surname:12"},
    {"#PersonName", Kind::Text, false,
     "your name:10|full name:10|contact name:10|contact person:10|author name:10|auth name:10|"
     "submitter:8|submitter name:11|poster:7|uploader:8|real name:9|person:6|submitted by:9|"
     "name of author:10|your full name:11|owner name:8|author full name:11|developer full name:10"},
    {"Expire_Count", Kind::Number, false,
     "trial period:10|trial day:10|eval period:10|evaluation period:10|trial:7|expire:7|expiration:7|"
     "trial length:10|evaluation day:10|days trial:10|trial duration:10"},
    {"Expire_Other_Info", Kind::LongText, false,
     "limitation:10|trial limitation:11|restriction:9|limit:6|demo limitation:11|nag:6|unregistered:7"},
    {"Distribution_Permissions", Kind::LongText, false,
     "distribution permission:11|distribution:6|redistribution:8|distribution right:11|distribute:7"},
    {"EULA", Kind::LongText, false,
     "eula:11|license agreement:11|licence agreement:11|license text:10|licence text:10|end user license:11|"
     "terms of use:9"},
    {"#ReleaseDate", Kind::Date, false,
     "release date:12|date:7|publish date:10|published:8|date released:12|released:8|release on:10|"
     "date of release:12|publication date:11|publish on:9|update date:9|last update:8|updated:6|pub date:10"},
    {"Program_Release_Month", Kind::Number, true, "month:8|release month:12|mon:5|mm:6"},
    {"Program_Release_Day", Kind::Number, true, "day:8|release day:12|dd:6"},
    {"Program_Release_Year", Kind::Number, true, "year:8|release year:12|yyyy:7|yy:5"},
    {"Expire_Month", Kind::Number, true,
     "expire month:12|exp month:11|expiry month:12|expiration month:12|expires month:12"},
    {"Expire_Day", Kind::Number, true, "expire day:12|exp day:11|expiry day:12|expiration day:12|expires day:12"},
    {"Expire_Year", Kind::Number, true, "expire year:12|exp year:11|expiry year:12|expiration year:12|expires year:12"},
    {"#FileType", Kind::Choice, true,
     "file type:11|file format:11|package type:10|archive type:10|format:6|file kind:10|type of file:10|"
     "package format:11|installer type:10"},
    {"#Processor", Kind::Choice, true, "processor:10|cpu:10|architecture:9|arch:8|processor type:11|cpu type:11"},
    {"#External", Kind::Choice, true,
     "hosted externally:12|external file:12|externally:10|external:9|hosted elsewhere:12|remote file:11|"
     "external download:12|link instead:10"},
    {"Filename_Long", Kind::Text, false, "filename:9|file name:9|setup file name:11|installer name:10"},
    // Purposes the record has no field for: they outweigh the generic words
    // ("url", "link") that would otherwise put some address there.
    {"#None", Kind::Text, false,
     "demo:9|documentation:9|docs:9|doc:8|forum:9|video:9|youtube:9|twitter:9|facebook:9|github:9|"
     "repository:9|repo:8|source code:9|donate:9|donation:9|wiki:9|tutorial:9|manual:8|linkedin:9|"
     "instagram:9|discord:9|blog:8|news:6|rss:8|feed:7|support url:9|support link:9|support page:9|"
     "help page:9|faq:9|privacy:9|affiliate:9|referral:9|coupon:9|discount:8|promo:8|video url:10|"
     "sku:9|isbn:9|ean:9|upc:9|alias:9|slug:9|hits:9|downloads count:9|rating:9|votes:9|ordering:8|sort:7|"
     "bug:9|bug tracker:11|issue:9|issue tracker:11|tracker:9|co author:10|coauthor:10|contributor:9|"
     "thumbnail:9|thumb:8|paypal:9|stripe:9|product id:10|moderator:9|staff:9|comment:7|suggest:9|"
     "suggestion:9|alternative to:11|require:10|dependency:9|depend:9|local name:10"},
};

// Control words that keep the fill away: search boxes, login and account
// fields, captchas and anything asking for a secret.
const char *const kForbidden[] = {
    "search",     "query",    "q",        "captcha",  "recaptcha", "security code", "verify",       "verification",
    "antispam",   "spam",     "honeypot", "username", "user name", "user id",       "userid",       "login",
    "login name", "password", "pass",     "pwd",      "nickname",  "nick",          "coupon",       "token",
    "csrf",       "nonce",    "sid",      "session",  "otp",       "pin",           "new category", "add category"};

// Words that name the kind of value when they end a control's name.
struct Head {
    const char *word;
    Kind kind;
};
const Head kHeads[] = {{"url", Kind::Url},      {"link", Kind::Url},    {"site", Kind::Url},    {"website", Kind::Url},
                       {"homepage", Kind::Url}, {"uri", Kind::Url},     {"href", Kind::Url},    {"title", Kind::Text},
                       {"name", Kind::Text},    {"email", Kind::Email}, {"mail", Kind::Email},  {"phone", Kind::Phone},
                       {"tel", Kind::Phone},    {"fax", Kind::Phone},   {"date", Kind::Date},   {"size", Kind::Number},
                       {"price", Kind::Number}, {"cost", Kind::Number}, {"version", Kind::Text}};

// Extra pieces for splitting run-together names.
const char *const kExtraPieces[] = {"dl", "prog", "app", "auth", "desc", "sub", "info", "file", "num", "no",  "id",
                                    "by", "of",   "in",  "on",   "new",  "rel", "list", "key",  "sys", "dist"};

} // namespace

QString stem(const QString &word)
{
    if (word.size() > 3 && word.endsWith(QLatin1Char('s')) && !word.endsWith(QLatin1String("ss")))
        return word.left(word.size() - 1);
    return word;
}

namespace {

// Splits a run-together word into dictionary pieces of two letters or more,
// allowing one letter in front ("pname", "cemail", "fsize"); a word that
// does not split entirely stays whole, so that "server" never yields "ver".
QStringList segment(const QString &w, const QSet<QString> &dict)
{
    if (w.size() < 4 || dict.contains(w))
        return {w};
    const int n = int(w.size());
    auto split = [&](int from) {
        // Fewest pieces covering w[from..n).
        std::vector<int> cost(size_t(n) + 1, 1 << 20), back(size_t(n) + 1, -1);
        cost[size_t(from)] = 0;
        for (int i = from; i < n; ++i) {
            if (cost[size_t(i)] >= (1 << 20))
                continue;
            for (int j = i + 2; j <= n; ++j)
                if (cost[size_t(i)] + 1 < cost[size_t(j)] && dict.contains(w.mid(i, j - i))) {
                    cost[size_t(j)] = cost[size_t(i)] + 1;
                    back[size_t(j)] = i;
                }
        }
        QStringList parts;
        if (back[size_t(n)] < 0)
            return parts;
        for (int j = n; j > from; j = back[size_t(j)])
            parts.prepend(w.mid(back[size_t(j)], j - back[size_t(j)]));
        return parts;
    };
    QStringList parts = split(0);
    if (parts.isEmpty() && w.at(0).isLetter()) {
        parts = split(1);
        if (!parts.isEmpty())
            parts.prepend(w.left(1));
    }
    return parts.isEmpty() ? QStringList {w} : parts;
}

// The pieces of a word, each word split once: the same words come back on
// control after control.
const QStringList &segmented(const QString &lower)
{
    thread_local QHash<QString, QStringList> cache;
    auto it = cache.constFind(lower);
    if (it != cache.cend())
        return *it;
    if (cache.size() > 20000)
        cache.clear(); // a page of endless made-up names
    return *cache.insert(lower, segment(lower, Vocabulary::instance().dictionary()));
}

} // namespace

WordSet::WordSet(QStringList words) : m_words(std::move(words))
{
    std::sort(m_words.begin(), m_words.end());
    m_words.erase(std::unique(m_words.begin(), m_words.end()), m_words.end());
}

bool WordSet::contains(const QString &word) const { return std::binary_search(m_words.cbegin(), m_words.cend(), word); }

WordSet WordSet::operator+(const WordSet &other) const
{
    WordSet out;
    out.m_words.reserve(m_words.size() + other.m_words.size());
    std::set_union(m_words.cbegin(), m_words.cend(), other.m_words.cbegin(), other.m_words.cend(),
                   std::back_inserter(out.m_words));
    return out;
}

QStringList splitWords(const QString &text, bool segmentRuns)
{
    // A word is a run of the text; it is copied once, when it ends.
    QStringList out;
    qsizetype start = -1;
    auto flush = [&](qsizetype end) {
        if (start < 0)
            return;
        const QString lower = text.mid(start, end - start).toLower();
        if (segmentRuns)
            out << segmented(lower);
        else
            out << lower;
        start = -1;
    };
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = text.at(i);
        if (!c.isLetterOrNumber()) {
            flush(i);
            continue;
        }
        if (start >= 0) {
            const QChar p = text.at(i - 1);
            const bool hump = p.isLower() && c.isUpper();
            // "URLField": a capital followed by a small letter starts a word.
            const bool acronymEnd = p.isUpper() && c.isUpper() && i + 1 < n && text.at(i + 1).isLower();
            const bool digitEdge = p.isDigit() != c.isDigit();
            if (hump || acronymEnd || digitEdge)
                flush(i);
        }
        if (start < 0)
            start = i;
    }
    flush(n);
    return out;
}

bool Vocabulary::isForbidden(const WordSet &words) const
{
    for (const QString &first : words) {
        const auto it = m_forbiddenByFirstWord.constFind(first);
        if (it == m_forbiddenByFirstWord.cend())
            continue;
        for (int i : *it) {
            bool all = true;
            for (const QString &w : m_forbidden.at(i))
                all = all && words.contains(w);
            if (all)
                return true;
        }
    }
    return false;
}

const Vocabulary &Vocabulary::instance()
{
    static const Vocabulary v;
    return v;
}

Vocabulary::Vocabulary()
{
    for (const char *p : kExtraPieces)
        m_dictionary.insert(QString::fromLatin1(p));
    for (const Row &row : kRows) {
        Target t;
        t.name = QString::fromLatin1(row.target);
        t.kind = row.kind;
        t.choice = row.choice;
        for (const QString &entry : QString::fromLatin1(row.terms).split(QLatin1Char('|'))) {
            const int colon = int(entry.lastIndexOf(QLatin1Char(':')));
            Term term;
            term.weight = entry.mid(colon + 1).toInt();
            for (const QString &w : entry.left(colon).split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
                // "co" of "co author" is no piece of a run-together name
                // ("cover").
                if ((w.size() > 1 || w.at(0).isDigit()) && w != QLatin1String("co"))
                    m_dictionary.insert(w);
                term.words << stem(w);
            }
            t.terms << term;
        }
        const int index = int(m_targets.size());
        for (int k = 0; k < t.terms.size(); ++k)
            for (const QString &w : t.terms.at(k).words) {
                QVector<TermRef> &list = m_byWord[w];
                if (list.isEmpty() || list.last().target != index || list.last().term != k)
                    list << TermRef {index, k};
            }
        m_index.insert(t.name, index);
        m_targets << t;
    }
    for (const char *f : kForbidden) {
        QStringList words;
        for (const QString &part : QString::fromLatin1(f).split(QLatin1Char(' '))) {
            if (part.size() > 1)
                m_dictionary.insert(part);
            words << stem(part);
        }
        m_forbiddenByFirstWord[words.first()] << int(m_forbidden.size());
        m_forbidden << words;
    }
    for (const Head &h : kHeads)
        m_heads.insert(QString::fromLatin1(h.word), h.kind);
}

const Target *Vocabulary::target(const QString &name) const
{
    const auto it = m_index.constFind(name);
    return it == m_index.cend() ? nullptr : &m_targets[*it];
}

const QVector<Vocabulary::TermRef> &Vocabulary::termsWithWord(const QString &stemmedWord) const
{
    static const QVector<TermRef> none;
    const auto it = m_byWord.constFind(stemmedWord);
    return it == m_byWord.cend() ? none : *it;
}

bool Vocabulary::headKind(const QString &stemmedWord, Kind *kind) const
{
    const auto it = m_heads.constFind(stemmedWord);
    if (it == m_heads.cend())
        return false;
    *kind = *it;
    return true;
}

QStringList aliases(const QString &target, const QString &item)
{
    const QString low = item.trimmed().toLower();
    QStringList out {low};
    if (target == QLatin1String("Program_OS_Support")) {
        static const QRegularExpression win(QStringLiteral("^win(?:dows)?\\s*([0-9a-z]*)$"));
        const QRegularExpressionMatch m = win.match(low);
        if (m.hasMatch()) {
            const QString v = m.captured(1);
            if (!v.isEmpty())
                out << QStringLiteral("windows ") + v << QStringLiteral("win ") + v << QStringLiteral("win") + v;
            out << QStringLiteral("windows") << QStringLiteral("win");
        }
        if (low.startsWith(QLatin1String("mac")) || low == QLatin1String("osx") ||
            low.startsWith(QLatin1String("os x")))
            out << QStringLiteral("mac") << QStringLiteral("macos") << QStringLiteral("mac os")
                << QStringLiteral("mac os x") << QStringLiteral("osx");
        if (low == QLatin1String("linux") || low == QLatin1String("unix"))
            out << QStringLiteral("linux") << QStringLiteral("unix");
    } else if (target == QLatin1String("Program_Type")) {
        if (low == QLatin1String("shareware"))
            out << QStringLiteral("trial") << QStringLiteral("free trial") << QStringLiteral("trialware")
                << QStringLiteral("try before you buy");
        else if (low == QLatin1String("freeware"))
            out << QStringLiteral("free");
        else if (low == QLatin1String("commercial"))
            out << QStringLiteral("paid");
        else if (low == QLatin1String("open source"))
            out << QStringLiteral("gpl") << QStringLiteral("opensource");
    } else if (target == QLatin1String("Country")) {
        static const QHash<QString, QStringList> countries {
            {QStringLiteral("united kingdom"), {"uk", "gb", "gbr", "great britain", "england", "britain"}},
            {QStringLiteral("united states"), {"us", "usa", "united states of america", "america"}},
            {QStringLiteral("germany"), {"de", "deu", "deutschland"}},
            {QStringLiteral("france"), {"fr", "fra"}},
            {QStringLiteral("canada"), {"ca", "can"}},
            {QStringLiteral("netherlands"), {"nl", "holland", "the netherlands"}},
            {QStringLiteral("russia"), {"ru", "russian federation"}},
        };
        out << countries.value(low);
    } else if (target == QLatin1String("Program_Language")) {
        static const QHash<QString, QStringList> languages {
            {QStringLiteral("english"), {"en", "eng", "en us", "en gb"}},
            {QStringLiteral("french"), {"fr", "fra", "francais"}},
            {QStringLiteral("german"), {"de", "deu", "deutsch"}},
            {QStringLiteral("spanish"), {"es", "spa", "espanol"}},
            {QStringLiteral("italian"), {"it", "ita"}},
            {QStringLiteral("russian"), {"ru", "rus"}},
            {QStringLiteral("japanese"), {"ja", "jpn"}},
            {QStringLiteral("chinese"), {"zh", "chi"}},
            {QStringLiteral("dutch"), {"nl", "nld"}},
            {QStringLiteral("portuguese"), {"pt", "por"}},
        };
        out << languages.value(low);
    } else if (target == QLatin1String("#Currency")) {
        if (low == QLatin1String("usd"))
            out << QStringLiteral("us dollar") << QStringLiteral("dollar") << QStringLiteral("$")
                << QStringLiteral("us$") << QStringLiteral("u s dollar");
    } else if (target == QLatin1String("Program_Release_Status")) {
        if (low == QLatin1String("new release") || low == QLatin1String("new"))
            out << QStringLiteral("new") << QStringLiteral("new program") << QStringLiteral("new software");
    } else if (target == QLatin1String("Program_Release_Month") || target == QLatin1String("Expire_Month")) {
        static const char *const months[] = {"january", "february", "march",     "april",   "may",      "june",
                                             "july",    "august",   "september", "october", "november", "december"};
        const int m = low.toInt();
        if (m >= 1 && m <= 12) {
            const QString name = QString::fromLatin1(months[m - 1]);
            out << name << name.left(3);
        }
    }
    return out;
}

QStringList fallbackAliases(const QString &target, const QString &item)
{
    const QString low = item.trimmed().toLower();
    if (target == QLatin1String("Program_Type")) {
        if (low == QLatin1String("shareware") || low == QLatin1String("commercial") || low == QLatin1String("demo"))
            return {QStringLiteral("proprietary"), QStringLiteral("commercial"), QStringLiteral("paid"),
                    QStringLiteral("closed source"), QStringLiteral("non free")};
        if (low == QLatin1String("freeware"))
            return {QStringLiteral("free of charge"), QStringLiteral("no cost")};
    }
    return {};
}

} // namespace engine
