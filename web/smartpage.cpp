#include "smartpage.h"

#include "scriptrunner.h"

#include "base/error.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace web {

namespace {

int nextGeneration()
{
    static int g = 0;
    return ++g;
}

// Builds window.__doduSmart[gen] = { els, buttons } and returns, as JSON,
// { c: [control, ...], b: [button, ...] } where a control is
// [form, type, name, id, label, context, placeholder, aria, title,
//  autocomplete, pattern, maxLength, value, checked, multiple, options,
//  visible, editable] and a button [form, text, visible].
const char kReadScript[] = R"JS(
(function (gen) {
  const store = (window.__doduSmart = window.__doduSmart || {});
  const keep = (store[gen] = { els: [], buttons: [] });
  // The record field used per control, for reports; a fill starts afresh.
  window.__doduFields = new WeakMap();
  const skip = { hidden: 1, submit: 1, image: 1, button: 1, reset: 1, file: 1, password: 1, range: 1, color: 1 };
  const controls = 'input, textarea, select, button';
  const clean = (t) => String(t || '').replace(/\s+/g, ' ').trim();
  const cut = (t) => (t.length > 160 ? t.slice(t.length - 160) : t);
  // Inputs hold no text of their own; only lists, text areas, buttons and
  // scripts inside an element have to be taken out of its text.
  const noisy = 'select, textarea, button, option, script, style';
  function text(n) {
    if (!n) return '';
    if (n.nodeType === 3) return clean(n.textContent);
    if (!n.querySelector || !n.querySelector(noisy)) return clean(n.textContent);
    const c = n.cloneNode(true);
    for (const x of c.querySelectorAll(controls + ', option, script, style')) x.remove();
    return clean(c.textContent);
  }
  const choice = (n) => n.nodeType === 1 && (n.matches('input[type=radio i], input[type=checkbox i]') ||
      (n.localName === 'label' && !!n.querySelector('input[type=radio i], input[type=checkbox i]')));
  // The node before n that is neither blank text nor a line break.
  function before(n) {
    let s = n.previousSibling;
    while (s && ((s.nodeType === 3 && !clean(s.textContent)) || (s.nodeType === 1 && s.localName === 'br')))
      s = s.previousSibling;
    return s;
  }
  // Labels by the id they name, made once per document: asking each
  // control for its labels scans the whole document every time.
  let labelsFor = null;
  function ownLabel(e) {
    let t = '';
    if (!labelsFor) {
      labelsFor = new Map();
      for (const l of e.ownerDocument.querySelectorAll('label[for]')) {
        const id = l.htmlFor;
        if (!labelsFor.has(id)) labelsFor.set(id, []);
        labelsFor.get(id).push(l);
      }
    }
    const wrap = e.closest('label');
    if (wrap && !wrap.htmlFor) t += ' ' + text(wrap);
    if (e.id && labelsFor.has(e.id)) for (const l of labelsFor.get(e.id)) t += ' ' + text(l);
    // "<input type=checkbox> Windows": the text right after a button names it.
    if (!clean(t) && (e.type === 'radio' || e.type === 'checkbox')) {
      for (let s = e.nextSibling; s; s = s.nextSibling) {
        if (s.nodeType === 1 && (s.matches(controls) || s.querySelector(controls) || s.localName === 'br')) break;
        t += ' ' + text(s);
        if (clean(t)) break;
      }
    }
    return cut(clean(t));
  }
  function context(e) {
    let node = e;
    for (let depth = 0; depth < 5 && node && node.parentElement; depth++) {
      const tag = node.localName;
      if (tag === 'form' || tag === 'body') break;
      if (tag === 'td' || tag === 'th' || tag === 'dd') {
        const p = node.previousElementSibling;
        const t = p ? text(p) : '';
        if (t) return cut(t);
      }
      for (let s = node.previousSibling; s; s = s.previousSibling) {
        // The other buttons of a group and the texts after them name
        // their own options, not this control.
        if (s.nodeType === 3) {
          const t = clean(s.textContent);
          const b = t ? before(s) : null;
          if (b && choice(b)) continue;
          if (t) return cut(t);
          continue;
        }
        if (s.nodeType !== 1) continue;
        if (choice(s)) continue;
        const sb = before(s);
        if (sb && choice(sb) && !s.querySelector(controls)) continue;
        const st = s.localName;
        if (st === 'br' || st === 'script' || st === 'style' || st === 'hr') continue;
        if (s.matches(controls) || s.querySelector(controls)) return '';
        const t = text(s);
        if (t) return cut(t);
      }
      node = node.parentElement;
      if (node.localName === 'fieldset') {
        const lg = node.querySelector(':scope > legend');
        if (lg) return cut(text(lg));
      }
    }
    return '';
  }
  let pageWidth = 0;
  function visible(e, view, doc) {
    const r = e.getBoundingClientRect();
    if (r.width < 1 || r.height < 1) return false;
    const st = view.getComputedStyle(e);
    if (st.visibility !== 'visible' || st.opacity === '0') return false;
    const x = r.left + view.scrollX, y = r.top + view.scrollY;
    if (x + r.width <= 0 || y + r.height <= 0 || x >= pageWidth) return false;
    return true;
  }
  const out = { c: [], b: [] };
  let formCount = 0;
  function read(doc) {
    if (!doc || !doc.body) return;
    const view = doc.defaultView;
    labelsFor = null;
    pageWidth = Math.max(doc.documentElement.scrollWidth, view.innerWidth);
    const forms = new Map();
    let loose = -1;
    const formKey = (f) => {
      if (!f) {
        if (loose < 0) loose = formCount++;
        return loose;
      }
      if (!forms.has(f)) forms.set(f, formCount++);
      return forms.get(f);
    };
    for (const e of doc.querySelectorAll(controls)) {
      const tag = e.localName;
      const type = tag === 'input' ? String(e.type || 'text').toLowerCase() : tag === 'button' ? String(e.type) : tag;
      const form = formKey(e.form);
      if (tag === 'button' || (tag === 'input' && (type === 'submit' || type === 'image'))) {
        if (type !== 'submit' && type !== 'image') continue;
        keep.buttons.push(e);
        const words = [e.value, tag === 'button' ? e.textContent : '', e.alt, e.title, e.name, e.id,
                       e.getAttribute('aria-label'), tag === 'input' ? 'submit' : ''];
        out.b.push([form, clean(words.join(' ')), visible(e, view, doc)]);
        continue;
      }
      if (tag === 'input' && skip[type]) continue;
      keep.els.push(e);
      const options = [];
      if (tag === 'select') for (const o of e.options) options.push([clean(o.text), String(o.value), o.selected]);
      // The text before a control matters when it has no label of its own,
      // and for buttons of a group, whose own labels name their options.
      const label = ownLabel(e);
      const before = !label || type === 'radio' || type === 'checkbox' ? context(e) : '';
      out.c.push([form, type, String(e.name || ''), String(e.id || ''), label, before,
                  String(e.placeholder || ''), String(e.getAttribute('aria-label') || ''), String(e.title || ''),
                  String(e.getAttribute('autocomplete') || ''), String(e.getAttribute('pattern') || ''),
                  e.maxLength > 0 ? e.maxLength : -1, tag === 'select' ? '' : String(e.value),
                  !!e.checked, !!e.multiple, options, visible(e, view, doc),
                  !(e.readOnly || e.matches(':disabled'))]);
    }
  }
  read(document);
  for (let i = 0; i < window.frames.length; ++i) {
    let d = null;
    try { d = window.frames[i].document; } catch (err) { d = null; }
    read(d);
  }
  return JSON.stringify(out);
})(%1)
)JS";

// Applies a plan: ops [[index, kind, value, field]], kind 0 a value, 1 a
// tick, 2 options to select, 3 only the field to remember; then presses
// button `press` (or none when -1).
const char kApplyScript[] = R"JS(
(function (gen, ops, press, record) {
  const keep = window.__doduSmart && window.__doduSmart[gen];
  if (!keep) return 0;
  const fields = (window.__doduFields = window.__doduFields || new WeakMap());
  const fire = (e, type) => e.dispatchEvent(new Event(type, { bubbles: true }));
  const number = /^-?(?:\d+(?:\.\d+)?|\.\d+)(?:[eE][-+]?\d+)?$/;
  // Written controls carry a mark that one style sheet per document
  // highlights; the author's next edit of a control takes its mark away.
  const markName = 'data-doduvodaz-filled';
  const prepared = (window.__doduMarked = window.__doduMarked || new WeakSet());
  function prepare(doc) {
    if (prepared.has(doc)) return;
    prepared.add(doc);
    const style = doc.createElement('style');
    style.textContent = '[' + markName + '] { background-color: #fff6c2 !important; ' +
                        'box-shadow: 0 0 0 2px #f2d261 !important; }';
    (doc.head || doc.documentElement).appendChild(style);
    const edited = (ev) => {
      const t = ev.target;
      if (!window.__doduWriting && t && t.removeAttribute && t.hasAttribute(markName)) t.removeAttribute(markName);
    };
    doc.addEventListener('input', edited, true);
    doc.addEventListener('change', edited, true);
  }
  let done = 0;
  for (const op of ops) {
    const e = keep.els[op[0]];
    if (!e) continue;
    fields.set(e, op[3]);
    if (op[1] === 3) continue;
    window.__doduWriting = true;
    try {
      if (op[1] === 0) {
        if (e.localName === 'input' && e.type === 'number' && !number.test(op[2])) continue;
        e.value = op[2];
      } else if (op[1] === 1) {
        e.checked = true;
      } else {
        for (const i of op[2]) if (e.options[i]) e.options[i].selected = true;
      }
      fire(e, 'input'); fire(e, 'change');
    } finally {
      window.__doduWriting = false;
    }
    prepare(e.ownerDocument);
    e.setAttribute(markName, '');
    ++done;
  }
  if (press >= 0 && keep.buttons[press]) {
    const b = keep.buttons[press];
    if (record) {
      (window.__doduPressed = window.__doduPressed || new Set()).add(b);
      b.addEventListener('click', (ev) => ev.preventDefault(), { once: true });
    }
    b.click();
  }
  delete window.__doduSmart[gen];
  return done;
})
)JS";

QString str(const QJsonArray &a, int i) { return a.at(i).toString(); }

void release(QWebEnginePage *page, int generation)
{
    runScript(page, QStringLiteral("if (window.__doduSmart) delete window.__doduSmart[%1];").arg(generation));
}

QJsonArray apply(QWebEnginePage *page, int generation, const QJsonArray &ops, int press, bool recordPresses)
{
    const QString script = QLatin1String(kApplyScript) + QStringLiteral("(%1, %2, %3, %4)")
                                                              .arg(generation)
                                                              .arg(QString::fromUtf8(QJsonDocument(ops).toJson(QJsonDocument::Compact)))
                                                              .arg(press)
                                                              .arg(recordPresses ? QLatin1String("true") : QLatin1String("false"));
    bool ok = false;
    runScriptAndWait(page, script, 15000, &ok);
    if (!ok && page)
        throw base::Error(QStringLiteral("The page did not answer."));
    return ops;
}

} // namespace

engine::smart::Page readSmartPage(QWebEnginePage *page, int *generation)
{
    engine::smart::Page result;
    *generation = nextGeneration();
    if (!page)
        return result;
    bool ok = false;
    const QVariant v = runScriptAndWait(page, QString::fromLatin1(kReadScript).arg(*generation), 15000, &ok);
    if (!ok) {
        if (!page)
            return result;
        throw base::Error(QStringLiteral("The page did not answer."));
    }
    const QJsonObject o = QJsonDocument::fromJson(v.toString().toUtf8()).object();
    for (const QJsonValue &cv : o.value(QLatin1String("c")).toArray()) {
        const QJsonArray a = cv.toArray();
        engine::smart::Control c;
        c.form = a.at(0).toInt();
        c.type = str(a, 1);
        c.tag = c.type == QLatin1String("textarea") || c.type == QLatin1String("select") ? c.type : QStringLiteral("input");
        c.name = str(a, 2);
        c.id = str(a, 3);
        c.label = str(a, 4);
        c.context = str(a, 5);
        c.placeholder = str(a, 6);
        c.aria = str(a, 7);
        c.title = str(a, 8);
        c.autocomplete = str(a, 9);
        c.pattern = str(a, 10);
        c.maxLength = a.at(11).toInt(-1);
        c.value = str(a, 12);
        c.checked = a.at(13).toBool();
        c.multiple = a.at(14).toBool();
        for (const QJsonValue &ov : a.at(15).toArray()) {
            const QJsonArray oa = ov.toArray();
            c.options << engine::smart::Option{str(oa, 0), str(oa, 1), oa.at(2).toBool()};
        }
        c.visible = a.at(16).toBool();
        c.editable = a.at(17).toBool();
        result.controls << c;
    }
    for (const QJsonValue &bv : o.value(QLatin1String("b")).toArray()) {
        const QJsonArray a = bv.toArray();
        result.buttons << engine::smart::Button{a.at(0).toInt(), str(a, 1), a.at(2).toBool()};
    }
    return result;
}

SmartOutcome smartFillPage(QWebEnginePage *page, const engine::Record &record)
{
    int generation = 0;
    const engine::smart::Page p = readSmartPage(page, &generation);
    engine::smart::Plan plan;
    try {
        plan = engine::smart::planFill(p, record);
    } catch (...) {
        release(page, generation);
        throw;
    }
    QJsonArray ops;
    QVector<bool> written(p.controls.size(), false);
    for (const engine::smart::Write &w : plan.writes) {
        written[w.control] = true;
        QJsonArray op{w.control, int(w.what)};
        if (w.what == engine::smart::Write::Select) {
            QJsonArray opts;
            for (int i : w.options)
                opts.append(i);
            op.append(opts);
        } else {
            op.append(w.value);
        }
        op.append(plan.fields.at(w.control));
        ops.append(op);
    }
    // Controls that already held the right value keep it; their field is
    // remembered all the same.
    for (int i = 0; i < plan.fields.size(); ++i)
        if (!written[i] && !plan.fields.at(i).isEmpty())
            ops.append(QJsonArray{i, 3, QString(), plan.fields.at(i)});
    apply(page, generation, ops, -1, false);
    return {plan.form >= 0, plan.filled, plan.left};
}

bool smartSubmitPage(QWebEnginePage *page, const engine::Record &record, bool recordPresses)
{
    int generation = 0;
    const engine::smart::Page p = readSmartPage(page, &generation);
    const int form = engine::smart::chooseForm(p, record);
    const int button = form < 0 ? -1 : engine::smart::chooseSubmitButton(p, form);
    if (button < 0) {
        release(page, generation);
        return false;
    }
    apply(page, generation, QJsonArray(), button, recordPresses);
    return true;
}

QString smartFillStatus(const SmartOutcome &outcome)
{
    if (!outcome.formFound)
        return QStringLiteral("Smart fill: no submission form found on this page.");
    return QStringLiteral("Smart fill: %1 %2 filled, %3 left for you.")
        .arg(outcome.filled)
        .arg(outcome.filled == 1 ? QStringLiteral("control") : QStringLiteral("controls"))
        .arg(outcome.left);
}

} // namespace web
