#include "routines.h"

#include "fillrules.h"

#include <QStringList>

namespace engine {

QString upperName(const QString &s) { return s.toUpper(); }

QString upperAscii(const QString &s)
{
    QString r = s;
    for (QChar &c : r)
        if (c >= QLatin1Char('a') && c <= QLatin1Char('z'))
            c = QChar(c.unicode() - 'a' + 'A');
    return r;
}

bool hasUninstaller(const QString &installSupport)
{
    return installSupport.contains(QLatin1String("uninstall"), Qt::CaseInsensitive);
}

namespace {

// A rule table with its fragments upper-cased once, in table order.
class RuleTable {
public:
    template <size_t N>
    explicit RuleTable(const NameRule (&rules)[N]) : m_rules(rules), m_count(N)
    {
        for (const NameRule &rule : rules)
            m_upper << upperName(QString::fromLatin1(rule.fragment));
    }

    // The first rule whose fragment the upper-cased name contains.
    const NameRule *firstMatch(const QString &upperedName) const
    {
        for (size_t i = 0; i < m_count; ++i)
            if (upperedName.contains(m_upper[qsizetype(i)]))
                return &m_rules[i];
        return nullptr;
    }

private:
    const NameRule *m_rules;
    size_t m_count;
    QStringList m_upper;
};

const RuleTable &textInputTable()
{
    static const RuleTable table(kTextInputRules);
    return table;
}

const RuleTable &textAreaTable()
{
    static const RuleTable table(kTextAreaRules);
    return table;
}

QString ruleValue(const NameRule &rule, const Record &record)
{
    if (!*rule.field)
        return QString();
    return record.fieldText(QString::fromLatin1(rule.field));
}

void applyNameRules(const RuleTable &rules, Element &e, const Record &record)
{
    const NameRule *rule = rules.firstMatch(upperName(e.name()));
    if (rule)
        e.setValue(ruleValue(*rule, record));
}

void fillRadio(Element &e, const Record &record)
{
    const QString name = upperName(e.name());
    if (!name.contains(upperName(QStringLiteral("uninstaller")))) {
        e.setChecked(true);
        return;
    }
    const bool has = hasUninstaller(record.fieldText(QStringLiteral("Program_Install_Support")));
    const QString v = upperName(e.value());
    e.setChecked(v.contains(has ? QLatin1Char('Y') : QLatin1Char('N')));
}

template <size_t N>
bool containsAny(const QString &text, const char *const (&needles)[N])
{
    for (const char *n : needles)
        if (text.contains(QLatin1String(n), Qt::CaseSensitive))
            return true;
    return false;
}

// A submit input is acceptable unless its alt holds "Cancel"/"reset" or its
// value holds "no"/"back"; an image input is judged by its alt alone.
bool acceptableButton(Element &e, const QString &type)
{
    if (type == QLatin1String("SUBMIT")) {
        if (containsAny(e.altText(), kAltExclusions))
            return false;
        return !containsAny(e.valueText(), kValueExclusions);
    }
    if (type == QLatin1String("IMAGE"))
        return !containsAny(e.altText(), kAltExclusions);
    return false;
}

} // namespace

void FillSubmissionForm(Document &doc, const Record &record)
{
    const int n = doc.elementCount();
    for (int i = 0; i < n; ++i) {
        Element &e = *doc.element(i);
        if (e.isInput()) {
            const QString t = upperAscii(e.type());
            if (t == QLatin1String("TEXT"))
                applyNameRules(textInputTable(), e, record);
            else if (t == QLatin1String("CHECKBOX"))
                e.setChecked(true);
            else if (t == QLatin1String("RADIO"))
                fillRadio(e, record);
        } else if (e.isTextArea()) {
            applyNameRules(textAreaTable(), e, record);
        }
    }
}

void FillLoginForm(Document &doc, const QString &username, const QString &password)
{
    Element *button = nullptr;
    const int n = doc.elementCount();
    for (int i = 0; i < n; ++i) {
        Element &e = *doc.element(i);
        if (!e.isInput())
            continue;
        const QString t = upperAscii(e.type());
        if (t == QLatin1String("TEXT")) {
            const QString name = upperName(e.name());
            for (const char *p : kUsernamePatterns) {
                if (name.contains(upperName(QString::fromLatin1(p)))) {
                    e.setValue(username);
                    break;
                }
            }
        } else if (t == QLatin1String("PASSWORD")) {
            e.setValue(password);
        } else if (t == QLatin1String("SUBMIT") || t == QLatin1String("IMAGE")) {
            if (acceptableButton(e, t))
                button = &e;
        } else if (t == QLatin1String("CHECKBOX")) {
            e.setChecked(true);
        }
    }
    if (button)
        button->click();
}

void ClickSubmitButton(Document *doc, Host &host)
{
    Element *button = nullptr;
    if (doc) {
        const int n = doc->elementCount();
        for (int i = 0; i < n; ++i) {
            Element &e = *doc->element(i);
            if (!e.isInput())
                continue;
            const QString t = upperAscii(e.type());
            if (acceptableButton(e, t))
                button = &e;
        }
    }
    if (button)
        button->click();
    else
        host.showMessage(QString::fromLatin1(kSubmitButtonNotFound));
}

namespace {

void runRoutine(Document &doc, FormMode mode, const Record &record, Host &host)
{
    // Whatever the routine wrote stays, also when it fails half-way.
    try {
        switch (mode) {
        case FormMode::Submit: ClickSubmitButton(&doc, host); break;
        case FormMode::Login: FillLoginForm(doc, host.loginUsername(), host.loginPassword()); break;
        case FormMode::Fill: FillSubmissionForm(doc, record); break;
        }
    } catch (...) {
        doc.routineFinished();
        throw;
    }
    doc.routineFinished();
}

} // namespace

FormMode formModeOf(const QString &word)
{
    if (word == QLatin1String("submit"))
        return FormMode::Submit;
    if (word == QLatin1String("login"))
        return FormMode::Login;
    return FormMode::Fill;
}

void RunFormCommand(Browser &browser, FormMode mode, const Record &record, Host &host)
{
    Document *doc = browser.document();
    if (!doc || !doc->isHtml() || !doc->hasBody())
        return;
    if (doc->bodyTextLength() >= 4) {
        runRoutine(*doc, mode, record, host);
        return;
    }
    // The frames are walked one after the other without letting window
    // events run between them: the walk runs on a snapshot of the page taken
    // in one call, and its writes reach the live page later, in order, by
    // calls of their own, so there is nothing to wait for here and nothing
    // else (another fill, a tab closing) can come in between.
    const int n = doc->frameCount();
    for (int i = 0; i < n; ++i) {
        Document *frame = doc->frameDocument(i);
        if (!frame || !frame->isHtml())
            continue;
        runRoutine(*frame, mode, record, host);
    }
}

} // namespace engine
