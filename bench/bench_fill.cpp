// How long the automatic fill takes on a live page, from the page's
// load-finished signal to the last write applied, in the real engine
// offscreen; compared in the same run with the floor: one in-page script that
// applies the same writes and fires the same events, started the same way.
// Measured for the exact rules and for the smart fill (whose floor applies
// the writes the smart fill made, taken from a first run; beside it, the
// least any fill that reads each control before writing could take).
//
//   bench_fill [--runs N] [--data softdata.xml] [--rules classic|smart]
#include "engine/memorydocument.h"
#include "engine/routines.h"
#include "web/autofill.h"
#include "web/scriptrunner.h"
#include "web/webengineenv.h"
#include "software/softwaretable.h"

#include <QApplication>
#include <QCryptographicHash>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QJsonArray>
#include <QJsonDocument>
#include <QTemporaryDir>
#include <QTextStream>
#include <QTimer>
#include <QWebEnginePage>
#include <QWebEngineProfile>

#include <algorithm>
#include <cstdio>

namespace {

QTextStream out(stdout);

class QuietHost : public engine::Host {
public:
    void showMessage(const QString &) override { }
    QString loginUsername() const override { return QString(); }
    QString loginPassword() const override { return QString(); }
};

// Runs a script in the program's world and waits for its answer.
QVariant evalScript(QWebEnginePage *page, const QString &script)
{
    QEventLoop loop;
    QVariant result;
    bool done = false;
    web::callScript(page, script, &loop, [&](const QVariant &v) {
        result = v;
        done = true;
        loop.quit();
    });
    QTimer::singleShot(120000, &loop, &QEventLoop::quit);
    if (!done)
        loop.exec();
    return result;
}

// A form as a download site would have it, written twice: as HTML, and as
// the in-memory document of the same controls in the same order, from which
// the floor's writes are taken.
struct Form {
    QByteArray html;
    engine::MemoryDocument doc;
    int controls = 0;
};

// One block of a typical submission form: 59 controls, most of them named so
// that some rule takes them, some left alone.
void addBlock(Form &f, int block, QByteArray &html)
{
    const QByteArray n = block ? "_" + QByteArray::number(block) : QByteArray();
    static const char *const texts[] = {"company_name",
                                        "company_url",
                                        "contact_email",
                                        "address",
                                        "city",
                                        "country",
                                        "zip",
                                        "phone",
                                        "fax",
                                        "author_first_name",
                                        "author_last_name",
                                        "title",
                                        "version",
                                        "price",
                                        "filesize",
                                        "download_url",
                                        "screenshot",
                                        "pad_url",
                                        "buy_link",
                                        "keywords",
                                        "category_text",
                                        "limitation",
                                        "eval_period",
                                        "requirements_text",
                                        "release_date",
                                        "os_list",
                                        "language",
                                        "icon_url",
                                        "info_url",
                                        "username",
                                        "program_type",
                                        "support_email",
                                        "home_url"};
    static const char *const types[std::size(texts)] = {
        "text", "url",  "email",  "text", "text", "text", "text", "tel",  "tel",  "text",   "text",
        "text", "text", "number", "text", "url",  "url",  "url",  "url",  "text", "search", "text",
        "text", "text", "text",   "text", "text", "url",  "url",  "text", "text", "email",  "url"};
    static const char *const areas[] = {"short_description", "description",  "requirements",
                                        "comments",          "change_notes", "whoami"};
    html += "<fieldset>";
    for (size_t i = 0; i < std::size(texts); ++i) {
        const QByteArray name = texts[i] + n;
        const QByteArray type = types[i];
        const bool number = type == "number";
        html += "<label>" + name + " <input type=\"" + type + "\" name=\"" + name + "\"" +
            (number ? " step=\"any\"" : "") + "></label>\n";
        // The engine sees the newer text-like types as text, as the bridge reports them.
        f.doc.addInput(QStringLiteral("text"), QString::fromLatin1(name));
    }
    for (const char *a : areas) {
        const QByteArray name = a + n;
        html += "<textarea name=\"" + name + "\"></textarea>\n";
        f.doc.addTextArea(QString::fromLatin1(name));
    }
    for (int i = 0; i < 6; ++i) {
        const QByteArray name = "box" + QByteArray::number(i) + n;
        html += "<label><input type=\"checkbox\" name=\"" + name + "\"" + (i == 2 ? " checked" : "") + "> " + name +
            "</label>\n";
        f.doc.addInput(QStringLiteral("checkbox"), QString::fromLatin1(name)).presetChecked(i == 2);
    }
    const char *const groups[] = {"licence", "has_uninstaller", "release_status"};
    const char *const values[][3] = {{"free", "share", "commercial"}, {"Y", "N", "Y2"}, {"new", "update", "major"}};
    for (int g = 0; g < 3; ++g) {
        const QByteArray name = groups[g] + n;
        for (int v = 0; v < 3; ++v) {
            html += "<label><input type=\"radio\" name=\"" + name + "\" value=\"" + values[g][v] + "\"" +
                (v == 1 ? " checked" : "") + "> " + values[g][v] + "</label>\n";
            engine::MemoryElement &e =
                f.doc.addInput(QStringLiteral("radio"), QString::fromLatin1(name), QString::fromLatin1(values[g][v]));
            e.presetChecked(v == 1);
            e.setFormIndex(0);
        }
    }
    for (int i = 0; i < 3; ++i)
        html += "<select name=\"category" + QByteArray::number(i) + n +
            "\"><option>Business</option><option>Utilities</option></select>\n";
    html += "<input type=\"hidden\" name=\"title_hidden" + n + "\" value=\"x\">\n";
    f.doc.addInput(QStringLiteral("hidden"), QStringLiteral("title_hidden") + QString::fromLatin1(n),
                   QStringLiteral("x"));
    html += "<input type=\"password\" name=\"password" + n + "\">\n";
    f.doc.addInput(QStringLiteral("password"), QStringLiteral("password") + QString::fromLatin1(n));
    html += "</fieldset>\n";
    f.controls += int(std::size(texts) + std::size(areas)) + 6 + 9 + 3 + 2;
}

std::unique_ptr<Form> makeForm(int blocks)
{
    auto f = std::make_unique<Form>();
    QByteArray body;
    for (int block = 0; block < blocks; ++block)
        addBlock(*f, block, body);
    f->html = "<!DOCTYPE html><html><head><meta charset=\"utf-8\"><title>Submit your software</title></head>"
              "<body><h1>Submit your software</h1><form action=\"thanks.htm\" method=\"post\">\n" +
        body + "<input type=\"submit\" value=\"Submit program\"></form></body></html>\n";
    f->controls += 1;
    return f;
}

// The writes the engine makes on the form, as one script that applies them
// like the bridge does: the property, then input and change.
QString floorScript(Form &f, const engine::Record &record)
{
    engine::FillSubmissionForm(f.doc, record);
    QJsonArray ops;
    for (const engine::JournalEntry &j : f.doc.journal()) {
        QJsonArray op {j.element, int(j.kind)};
        op.append(j.kind == engine::JournalEntry::Value ? QJsonValue(j.value) : QJsonValue(j.checked));
        ops.append(op);
    }
    f.doc.clearJournal();
    return QStringLiteral(R"JS((function (ops) {
  const els = document.querySelectorAll('input, textarea');
  const fire = (e, type) => e.dispatchEvent(new Event(type, { bubbles: true }));
  for (const op of ops) {
    const e = els[op[0]];
    if (op[1] === 0) e.value = op[2]; else e.checked = op[2];
    fire(e, 'input'); fire(e, 'change');
  }
  return ops.length;
})(%1))JS")
        .arg(QString::fromUtf8(QJsonDocument(ops).toJson(QJsonDocument::Compact)));
}

// A digest of what every control of the page holds, to check that both ways
// leave the page the same.
QString pageState(QWebEnginePage *page)
{
    const QVariant v = evalScript(page,
                                  QStringLiteral("Array.from(document.querySelectorAll('input, textarea, select'), "
                                                 "e => e.name + '=' + e.value + (e.checked ? '*' : '')).join('\\n')"));
    return QString::fromLatin1(QCryptographicHash::hash(v.toString().toUtf8(), QCryptographicHash::Sha1).toHex());
}

double median(QList<double> v)
{
    std::sort(v.begin(), v.end());
    const qsizetype n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

class Bench {
public:
    Bench(QWebEngineProfile *profile, const engine::Record &record) : m_record(record)
    {
        m_bridgePage = new QWebEnginePage(profile);
        m_smartPage = new QWebEnginePage(profile);
        m_floorPage = new QWebEnginePage(profile);
        // The real automatic fill, as every tab has it.
        m_fill = new web::AutoFill(m_bridgePage, m_record, m_host, [this](const QString &e) { m_error = e; });
        auto *smart = new web::AutoFill(m_smartPage, m_record, m_host, [this](const QString &e) { m_error = e; });
        smart->setRulesProvider([] { return web::FillRules::Smart; });
        QObject::connect(
            m_smartPage, &QWebEnginePage::loadFinished, m_smartPage, [this] { m_started = m_clock.nsecsElapsed(); },
            Qt::DirectConnection);
        // A fill ends once the page has applied its writes.
        QObject::connect(smart, &web::AutoFill::filled, smart, [this] {
            m_ended = m_clock.nsecsElapsed();
            m_loop.quit();
        });
        // Taken at the signal; the fill itself runs from a timer right after.
        QObject::connect(
            m_bridgePage, &QWebEnginePage::loadFinished, m_bridgePage, [this] { m_started = m_clock.nsecsElapsed(); },
            Qt::DirectConnection);
        // Connected after the fill, so it hears the end of each fill run.
        QObject::connect(m_fill, &web::AutoFill::filled, m_fill, [this] {
            m_ended = m_clock.nsecsElapsed();
            m_loop.quit();
        });
        m_floorTimer.setSingleShot(true);
        m_floorTimer.setInterval(0);
        QObject::connect(&m_floorTimer, &QTimer::timeout, [this] {
            evalScript(m_floorPage, m_floorScript);
            m_ended = m_clock.nsecsElapsed();
            m_loop.quit();
        });
        QObject::connect(m_floorPage, &QWebEnginePage::loadFinished, m_floorPage, [this] {
            m_started = m_clock.nsecsElapsed();
            m_floorTimer.start();
        });
        m_clock.start();
    }
    ~Bench()
    {
        delete m_bridgePage;
        delete m_smartPage;
        delete m_floorPage;
    }

    // Milliseconds from load-finished to the last write applied, or -1.
    double bridgeRun(const QUrl &url) { return timed(m_bridgePage, url); }
    double smartRun(const QUrl &url) { return timed(m_smartPage, url); }
    QWebEnginePage *smartPage() const { return m_smartPage; }
    double floorRun(const QUrl &url, const QString &script)
    {
        m_floorScript = script;
        return timed(m_floorPage, url);
    }
    QString error() const { return m_error; }
    QWebEnginePage *bridgePage() const { return m_bridgePage; }
    QWebEnginePage *floorPage() const { return m_floorPage; }

private:
    double timed(QWebEnginePage *page, const QUrl &url)
    {
        m_started = m_ended = -1;
        QTimer limit;
        limit.setSingleShot(true);
        QObject::connect(&limit, &QTimer::timeout, &m_loop, &QEventLoop::quit);
        limit.start(120000);
        page->load(url);
        m_loop.exec();
        if (m_started < 0 || m_ended < 0)
            return -1;
        return double(m_ended - m_started) / 1e6;
    }

    const engine::Record &m_record;
    QuietHost m_host;
    QWebEnginePage *m_bridgePage;
    QWebEnginePage *m_smartPage;
    QWebEnginePage *m_floorPage;
    web::AutoFill *m_fill;
    QTimer m_floorTimer;
    QString m_floorScript;
    QEventLoop m_loop;
    QElapsedTimer m_clock;
    qint64 m_started = -1, m_ended = -1;
    QString m_error;
};

struct Result {
    double bridge = 0, floor = 0;
    double bound = 0; // the smart fill's least possible time, see boundScript
};

// The least any fill that reads the page before it writes can take: one
// in-page script that reads what no reading can do without (each control's
// type, form, name, value, layout box and wrapping label) and then makes the
// floor's writes. It leaves out the other signals, the planning outside the
// page, the second call into the page and the marks.
QString boundScript(const QString &floor)
{
    return QStringLiteral(R"JS((function () {
  const read = [];
  for (const e of document.querySelectorAll('input, textarea, select, button')) {
    const r = e.getBoundingClientRect();
    const w = e.closest('label');
    read.push([e.type, e.form ? 1 : 0, e.name, e.value, r.width, r.height, r.left, r.top, w ? w.textContent : '']);
  }
  JSON.stringify(read);
  return %1;
})())JS")
        .arg(floor);
}

// The writes a fill left on the page, as one in-page script that makes them
// again the same way: the floor of the smart fill.
QString floorFromPage(QWebEnginePage *page)
{
    const QVariant ops = evalScript(page, QStringLiteral(R"JS(JSON.stringify(Array.from(
  document.querySelectorAll('input, textarea, select'), (e, i) => {
    if (e.localName === 'select') {
      const sel = Array.from(e.options, (o, j) => (o.selected !== o.defaultSelected ? j : -1)).filter((j) => j >= 0);
      return sel.length ? [i, 2, sel] : null;
    }
    if (e.type === 'checkbox' || e.type === 'radio') return e.checked !== e.defaultChecked ? [i, 1, e.checked] : null;
    return e.value !== e.defaultValue ? [i, 0, e.value] : null;
  }).filter((x) => x)))JS"));
    return QStringLiteral(R"JS((function (ops) {
  const els = document.querySelectorAll('input, textarea, select');
  const fire = (e, type) => e.dispatchEvent(new Event(type, { bubbles: true }));
  for (const op of ops) {
    const e = els[op[0]];
    if (op[1] === 0) e.value = op[2];
    else if (op[1] === 1) e.checked = op[2];
    else for (const j of op[2]) e.options[j].selected = true;
    fire(e, 'input'); fire(e, 'change');
  }
  return ops.length;
})(%1))JS")
        .arg(ops.toString());
}

bool measure(Bench &bench, const QString &label, Form &form, const QUrl &url, QString script, int runs, Result &result,
             bool smart = false)
{
    QList<double> bridge, floor, bound;
    const int warmUp = 2;
    for (int i = 0; i < warmUp + runs; ++i) {
        const double b = smart ? bench.smartRun(url) : bench.bridgeRun(url);
        if (smart && i == 0)
            script = floorFromPage(bench.smartPage());
        const double f = bench.floorRun(url, script);
        if (b < 0 || f < 0 || !bench.error().isEmpty()) {
            out << label << ": a run did not finish" << (bench.error().isEmpty() ? QString() : ": " + bench.error())
                << "\n";
            return false;
        }
        if (i == 0 && pageState(smart ? bench.smartPage() : bench.bridgePage()) != pageState(bench.floorPage())) {
            out << label << ": the fill and the floor left the page differently\n";
            return false;
        }
        const double least = smart ? bench.floorRun(url, boundScript(script)) : 0;
        if (least < 0) {
            out << label << ": a run did not finish\n";
            return false;
        }
        if (i >= warmUp) {
            bridge << b;
            floor << f;
            bound << least;
        }
    }
    result = {median(bridge), median(floor), median(bound)};
    out << QStringLiteral("%1 %2 %3 %4 %5\n")
               .arg(label, -8)
               .arg(form.controls, 8)
               .arg(result.bridge, 12, 'f', 2)
               .arg(result.floor, 12, 'f', 2)
               .arg(result.bridge / result.floor, 8, 'f', 2);
    if (smart)
        out << QStringLiteral("%1 %2 %3 %4 %5   least possible: read, then the floor's writes\n")
                   .arg(QString(), -8)
                   .arg(QString(), 8)
                   .arg(result.bound, 12, 'f', 2)
                   .arg(result.floor, 12, 'f', 2)
                   .arg(result.bound / result.floor, 8, 'f', 2);
    out.flush();
    return true;
}

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    web::prepareWebEngineEnvironment();
    QApplication app(argc, argv);

    int runs = 15;
    bool classic = true, smart = true;
    QString data = QStringLiteral(DODU_SOURCE_DIR "/data/softdata.xml");
    const QStringList args = app.arguments();
    for (int i = 1; i < args.size(); ++i) {
        if (args[i] == QLatin1String("--runs") && i + 1 < args.size()) {
            runs = std::max(1, args[++i].toInt());
        } else if (args[i] == QLatin1String("--data") && i + 1 < args.size()) {
            data = args[++i];
        } else if (args[i] == QLatin1String("--rules") && i + 1 < args.size() &&
                   (args[i + 1] == QLatin1String("classic") || args[i + 1] == QLatin1String("smart"))) {
            classic = args[++i] == QLatin1String("classic");
            smart = !classic;
        } else {
            QTextStream(stderr) << "usage: bench_fill [--runs N] [--data softdata.xml] [--rules classic|smart]\n";
            return 64;
        }
    }

    software::TSoftwareTable record;
    try {
        record.LoadFromFile(data);
    } catch (const std::exception &e) {
        QTextStream(stderr) << "bench_fill: " << e.what() << "\n";
        return 1;
    }

    QTemporaryDir dir;
    auto typical = makeForm(1);  // 60 controls
    auto stress = makeForm(170); // 10,031 controls
    const QString typicalScript = floorScript(*typical, record);
    const QString stressScript = floorScript(*stress, record);
    auto write = [&](const QString &name, const QByteArray &html) {
        QFile f(dir.filePath(name));
        f.open(QIODevice::WriteOnly);
        f.write(html);
        return QUrl::fromLocalFile(f.fileName());
    };
    const QUrl typicalUrl = write(QStringLiteral("typical.htm"), typical->html);
    const QUrl stressUrl = write(QStringLiteral("stress.htm"), stress->html);

    QWebEngineProfile profile;
    Bench bench(&profile, record);
    out << "Time from load-finished to the last write applied; median of " << runs << " runs, in ms.\n";
    out << QStringLiteral("%1 %2 %3 %4 %5\n")
               .arg(QStringLiteral("form"), -8)
               .arg(QStringLiteral("controls"), 8)
               .arg(QStringLiteral("fill"), 12)
               .arg(QStringLiteral("floor"), 12)
               .arg(QStringLiteral("ratio"), 8);
    Result t, s, st, ss;
    if (classic) {
        if (!measure(bench, QStringLiteral("typical"), *typical, typicalUrl, typicalScript, runs, t) ||
            !measure(bench, QStringLiteral("stress"), *stress, stressUrl, stressScript, runs, s))
            return 1;
        out << "typical form under 20 ms: " << (t.bridge < 20 ? "yes" : "no") << "\n";
        out << "stress form within 2x of the floor: " << (s.bridge <= 2 * s.floor ? "yes" : "no") << "\n";
    }
    if (!smart)
        return 0;
    out << "Smart fill:\n";
    if (!measure(bench, QStringLiteral("typical"), *typical, typicalUrl, QString(), runs, st, true) ||
        !measure(bench, QStringLiteral("stress"), *stress, stressUrl, QString(), runs, ss, true))
        return 1;
    out << "smart fill, typical form under 10 ms and within 2x of the least possible: "
        << (st.bridge < 10 && st.bridge <= 2 * st.bound ? "yes" : "no") << "\n";
    out << "smart fill, stress form within 1.5x of the least possible: " << (ss.bridge <= 1.5 * ss.bound ? "yes" : "no")
        << "\n";
    out.flush();
    return 0;
}
