// The smart fill on the corpus of submission forms in tests/data/forms, in
// the real engine offscreen. Each control says what it should end holding
// (data-expect and friends, see the corpus README). Measured per control:
// whether its final state is the expected one (value, tick or selection),
// for the smart fill and, on the same pages, for the exact name rules; for
// the smart fill also whether the field it names is the expected one. Any
// harmful act fails the test: a choice changed without a match, a hidden,
// read-only or other-form control written, a value emptied, or "Submit form"
// pressing anything but the form's own submit control.
#include "recordinghost.h"
#include "web/commandrun.h"
#include "web/autofill.h"
#include "web/scriptrunner.h"
#include "web/smartpage.h"
#include "web/webengineenv.h"
#include "software/softwaretable.h"

#include "engine/host.h"

#include "support/pages.h"

#include <QApplication>
#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSignalSpy>
#include <QWebEngineProfile>
#include <QtTest>

#include <memory>

namespace {

using QuietHost = RecordingHost;

// Every marked control: what it should hold, what it held at first, what it
// holds now, and what the fill remembered for it.
const char kStateScript[] = R"JS(
(function () {
  const fields = window.__doduFields || new WeakMap();
  const pressed = window.__doduPressed || new Set();
  const sel = (e, pick) => Array.from(e.options).filter(pick).map((o) => o.text.trim()).join('|');
  function visible(e) {
    if (e.type === 'hidden') return false;
    const st = getComputedStyle(e);
    if (st.display === 'none' || st.visibility === 'hidden' || parseFloat(st.opacity) === 0) return false;
    const r = e.getBoundingClientRect();
    return r.width >= 1 && r.height >= 1 && r.right + scrollX > 0 && r.bottom + scrollY > 0;
  }
  const out = [];
  for (const e of document.querySelectorAll('[data-expect]')) {
    const tag = e.localName;
    const type = tag === 'input' ? e.type : tag === 'button' ? 'button' : tag;
    let initial, now;
    if (tag === 'select') {
      initial = sel(e, (o) => o.defaultSelected);
      if (!initial && !e.multiple && e.options.length) initial = e.options[0].text.trim();
      now = sel(e, (o) => o.selected);
    } else if (type === 'radio' || type === 'checkbox') {
      initial = e.defaultChecked ? 'x' : '';
      now = e.checked ? 'x' : '';
    } else {
      initial = String(e.defaultValue == null ? '' : e.defaultValue);
      now = String(e.value == null ? '' : e.value);
    }
    let groupExpected = false;
    if (type === 'radio' && e.form)
      for (const r of e.form.querySelectorAll('input[type=radio]'))
        if (r.name === e.name && r.dataset.expect) groupExpected = true;
    out.push({ expect: e.dataset.expect, value: e.dataset.value == null ? null : e.dataset.value,
               option: e.dataset.option == null ? null : e.dataset.option, tag: tag, type: type,
               name: e.name || e.id || e.value || tag, initial: initial, now: now,
               field: fields.has(e) ? fields.get(e) : '', main: !!(e.form && e.form.hasAttribute('data-main')),
               visible: visible(e), locked: !!(e.readOnly || e.disabled), submit: e.hasAttribute('data-submit'),
               pressed: pressed.has(e), groupExpected: groupExpected, exact: e.hasAttribute('data-exact') });
  }
  return JSON.stringify(out);
})()
)JS";

bool isButtonLike(const QString &type)
{
    static const QStringList t {"button", "submit", "image", "reset", "file", "hidden", "password"};
    return t.contains(type);
}

struct Tally {
    int controls = 0;
    int right = 0;      // final state as expected
    int fieldRight = 0; // smart: the field named as expected
    QStringList misses;
    QStringList harms;
};

} // namespace

class TestSmartCorpus : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void corpusIsFilledAsExpected();

private:
    bool load(const QString &file);
    QList<QJsonObject> state();
    void evaluate(const QString &form, const QList<QJsonObject> &rows, bool smart, Tally &t);

    std::unique_ptr<QWebEngineProfile> m_profile;
    std::unique_ptr<QWebEnginePage> m_page;
    std::unique_ptr<software::TSoftwareTable> m_record;
};

void TestSmartCorpus::initTestCase()
{
    m_profile = std::make_unique<QWebEngineProfile>();
    m_page = std::make_unique<QWebEnginePage>(m_profile.get());
    m_record = std::make_unique<software::TSoftwareTable>();
    m_record->LoadFromFile(QStringLiteral(DODU_SOURCE_DIR "/data/softdata.xml"));
}

bool TestSmartCorpus::load(const QString &file) { return testpages::load(m_page.get(), QUrl::fromLocalFile(file)); }

QList<QJsonObject> TestSmartCorpus::state()
{
    QList<QJsonObject> rows;
    const QVariant v = testpages::eval(m_page.get(), QString::fromLatin1(kStateScript), web::programWorld(), 30000);
    for (const QJsonValue &r : QJsonDocument::fromJson(v.toString().toUtf8()).array())
        rows << r.toObject();
    return rows;
}

void TestSmartCorpus::evaluate(const QString &form, const QList<QJsonObject> &rows, bool smart, Tally &t)
{
    for (const QJsonObject &r : rows) {
        const QString type = r.value("type").toString();
        const QString expect = r.value("expect").toString();
        const QString initial = r.value("initial").toString();
        const QString now = r.value("now").toString();
        const QString name = form + QLatin1Char('/') + r.value("name").toString();
        const bool choice =
            type == QLatin1String("radio") || type == QLatin1String("checkbox") || type == QLatin1String("select");
        const bool changed = now != initial;
        if (smart) {
            if (changed && (!r.value("main").toBool() || !r.value("visible").toBool() || r.value("locked").toBool()))
                t.harms << name + QStringLiteral(": a control outside the form, hidden or read-only was written");
            if (changed && choice && expect.isEmpty() &&
                !(type == QLatin1String("radio") && r.value("groupExpected").toBool()))
                t.harms << name + QStringLiteral(": a choice changed without a match");
            if (!initial.isEmpty() && now.isEmpty() && !choice)
                t.harms << name + QStringLiteral(": a value was emptied");
        }
        if (isButtonLike(type))
            continue;
        ++t.controls;
        QString want;
        if (expect.isEmpty()) {
            want = type == QLatin1String("radio") && r.value("groupExpected").toBool() ? QString() : initial;
        } else if (type == QLatin1String("radio") || type == QLatin1String("checkbox")) {
            want = QStringLiteral("x");
        } else if (type == QLatin1String("select")) {
            want = r.value("option").toString();
        } else if (!r.value("value").isNull()) {
            want = r.value("value").toString();
        } else {
            want = m_record->fieldText(expect);
        }
        // A text area hands its line breaks out as LF alone.
        if (type == QLatin1String("textarea"))
            want.replace(QLatin1String("\r\n"), QLatin1String("\n")).replace(QLatin1Char('\r'), QLatin1Char('\n'));
        bool right = now == want;
        if (type == QLatin1String("select") && !expect.isEmpty()) {
            // Every option named is selected; a multiple list may keep
            // others unless marked data-exact (pre-selected options the
            // record contradicts are to be cleared).
            const QStringList selected = now.split(QLatin1Char('|'));
            const QStringList wanted = want.split(QLatin1Char('|'));
            right = true;
            for (const QString &o : wanted)
                right = right && selected.contains(o);
            if (r.value("exact").toBool())
                for (const QString &o : selected)
                    right = right && wanted.contains(o);
        }
        if (right)
            ++t.right;
        const QString field = r.value("field").toString();
        if (smart && field == expect)
            ++t.fieldRight;
        if (smart && (!right || field != expect))
            t.misses << QStringLiteral("%1: expected %2 [%3], got %4 [%5]")
                            .arg(name, expect.isEmpty() ? QStringLiteral("(left alone)") : expect, want.left(40),
                                 field.isEmpty() ? QStringLiteral("(left alone)") : field, now.left(40));
    }
}

void TestSmartCorpus::corpusIsFilledAsExpected()
{
    const QDir dir(QStringLiteral(DODU_SOURCE_DIR "/tests/data/forms"));
    const QStringList files = dir.entryList({QStringLiteral("*.htm")}, QDir::Files, QDir::Name);
    QVERIFY2(files.size() >= 40, "the corpus holds at least 40 forms");
    Tally smart, classic;
    QStringList submitFaults;
    QuietHost host;
    for (const QString &f : files) {
        const QString path = dir.filePath(f);
        const QString form = f.section(QLatin1Char('.'), 0, 0);

        // Smart fill.
        QVERIFY2(load(path), qPrintable(f));
        const web::SmartOutcome outcome =
            testcommands::run(m_page.get(), engine::FormMode::Fill, *m_record, host, {web::FillRules::Smart})
                .value_or(web::FormCommandResult())
                .smart.value_or(web::SmartOutcome());
        QVERIFY2(outcome.formFound, qPrintable(f));
        Tally one;
        evaluate(form, state(), true, one);
        qInfo("%s: smart %d/%d right, %d/%d fields named; %d filled, %d left", qPrintable(form), one.right,
              one.controls, one.fieldRight, one.controls, outcome.filled, outcome.left);
        for (const QString &m : one.misses)
            qInfo("  miss %s", qPrintable(m));
        smart.controls += one.controls;
        smart.right += one.right;
        smart.fieldRight += one.fieldRight;
        smart.harms << one.harms;

        // The exact rules on the same page.
        QVERIFY2(load(path), qPrintable(f));
        testcommands::run(m_page.get(), engine::FormMode::Fill, *m_record, host);
        Tally c;
        evaluate(form, state(), false, c);
        classic.controls += c.controls;
        classic.right += c.right;

        // "Submit form" with the smart rules presses the form's own button.
        QVERIFY2(load(path), qPrintable(f));
        const auto submitted =
            testcommands::run(m_page.get(), engine::FormMode::Submit, *m_record, host, {web::FillRules::Smart, true});
        QVERIFY2(submitted && !submitted->outcome.pressed.isEmpty(), qPrintable(f));
        for (const QJsonObject &r : state()) {
            if (r.value("pressed").toBool() != r.value("submit").toBool())
                submitFaults << form + QLatin1Char('/') + r.value("name").toString() +
                        (r.value("pressed").toBool() ? QStringLiteral(" pressed") : QStringLiteral(" not pressed"));
        }
    }
    const double smartRate = double(smart.right) / smart.controls;
    const double fieldRate = double(smart.fieldRight) / smart.controls;
    const double classicRate = double(classic.right) / classic.controls;
    qInfo("corpus: %lld forms, %d controls", qlonglong(files.size()), smart.controls);
    qInfo("smart fill: %d/%d controls end as expected (%.1f%%); %d/%d fields named as expected (%.1f%%)", smart.right,
          smart.controls, 100 * smartRate, smart.fieldRight, smart.controls, 100 * fieldRate);
    qInfo("exact rules: %d/%d controls end as expected (%.1f%%)", classic.right, classic.controls, 100 * classicRate);
    for (const QString &h : smart.harms)
        qWarning("harm: %s", qPrintable(h));
    for (const QString &s : submitFaults)
        qWarning("submit: %s", qPrintable(s));
    QVERIFY(smart.harms.isEmpty());
    QVERIFY(submitFaults.isEmpty());
    QVERIFY2(smartRate >= 0.95, qPrintable(QStringLiteral("smart fill accuracy %1").arg(smartRate)));
    QVERIFY2(fieldRate >= 0.95, qPrintable(QStringLiteral("fields named %1").arg(fieldRate)));
    QVERIFY(smartRate > classicRate);
}

int main(int argc, char *argv[])
{
    web::prepareWebEngineEnvironment();
    QApplication app(argc, argv);
    TestSmartCorpus test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "test_smartcorpus.moc"
