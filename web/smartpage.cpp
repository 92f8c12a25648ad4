#include "smartpage.h"

#include "pagesnapshot.h"
#include "snapshotscript.h"

#include <QCoreApplication>
#include <QRegularExpression>

#include <algorithm>

namespace web {

namespace {

// Applies a plan on the controls a snapshot with signals kept: ops
// [[index, kind, value, field]], kind 0 a value, 1 a tick, 2 options to
// select (-1 - i for an option i to clear), 3 only the field to remember;
// then presses button `press` (or none when -1). A fill (no press) starts
// the fields remembered afresh; a press keeps those of the fill before it.
const char kApplyScript[] = R"JS(
(function (gen, ops, press, record) {
  const keep = window.__dodu && window.__dodu[gen];
  if (!keep || !keep.controls) return 0;
  const els = keep.controls;
  // The record field used per control, for reports: kept as the plan and
  // looked up by element only when a report asks.
  let fields = press < 0 ? null : window.__doduFields;
  if (!fields || !fields.lists) {
    fields = window.__doduFields = {
      lists: [], map: null,
      index() {
        if (!this.map) {
          this.map = new Map();
          for (const [list, plan] of this.lists) for (const op of plan) if (list[op[0]]) this.map.set(list[op[0]], op[3]);
        }
        return this.map;
      },
      get(e) { return this.index().get(e); },
      has(e) { return this.index().has(e); },
    };
  }
  fields.lists.push([els, ops]);
  fields.map = null;
  const fire = (e, type) => e.dispatchEvent(new Event(type, { bubbles: true }));
  // Written controls carry a mark that one style rule per document
  // highlights; the author's next edit of a control takes its mark away.
  // Documents are made ready after the writes, so that the fill's own
  // events pass no listener of ours.
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
  window.__doduWriting = true;
  try {
    for (const op of ops) {
      const kind = op[1];
      if (kind === 3) continue;
      const e = els[op[0]];
      if (!e) continue;
      if (kind === 0) e.value = op[2];
      else if (kind === 1) e.checked = true;
      else for (const i of op[2]) {
        const o = e.options[i < 0 ? -1 - i : i];
        if (o) o.selected = i >= 0;
      }
      fire(e, 'input'); fire(e, 'change');
      e.setAttribute(markName, '');
      ++done;
    }
  } finally {
    window.__doduWriting = false;
  }
  if (done) {
    if (document.querySelector('[' + markName + ']')) prepare(document);
    for (let i = 0; i < window.frames.length; ++i) {
      let d = null;
      try { d = window.frames[i].document; } catch (err) { d = null; }
      if (d && d.querySelector('[' + markName + ']')) prepare(d);
    }
  }
  if (press >= 0 && keep.buttons[press]) {
    const b = keep.buttons[press];
    if (record) {
      (window.__doduPressed = window.__doduPressed || new Set()).add(b);
      b.addEventListener('click', (ev) => ev.preventDefault(), { once: true });
    }
    b.click();
  }
  delete window.__dodu[gen];
  return done;
})
)JS";

// The apply function called on ops given as script text.
PageCall applyScript(int generation, const QString &ops, int press, bool recordPresses)
{
    QString values;
    values.reserve(ops.size() + 64);
    values += QString::number(generation) + QLatin1String(", ");
    values += ops;
    values += QStringLiteral(", %1, %2").arg(press).arg(recordPresses ? QLatin1String("true") : QLatin1String("false"));
    return {&applyFunction(), values};
}

// Whether a number input takes the text; anything else would empty it, so it
// keeps what it holds.
bool takesNumber(const engine::Control &c, const QString &text)
{
    static const QRegularExpression number(
        QRegularExpression::anchoredPattern(QStringLiteral("-?(?:\\d+(?:\\.\\d+)?|\\.\\d+)(?:[eE][-+]?\\d+)?")));
    return c.type != QLatin1String("number") || number.match(text).hasMatch();
}

} // namespace

const PageFunction &applyFunction()
{
    static const PageFunction f {QStringLiteral("apply"), QString::fromLatin1(kApplyScript).trimmed()};
    return f;
}

int readSmartSnapshot(engine::Page &page, const QVariant &answer)
{
    if (answer.userType() != QMetaType::QString)
        return 0; // no document (any more)
    const PageSnapshot snapshot = parsePageSnapshot(answer.toString());
    loadSnapshotSignals(page, snapshot.top);
    for (const PageSnapshot::Frame &f : snapshot.frames)
        if (f.kind == PageSnapshot::FrameKind::Document)
            loadSnapshotSignals(page, f.description);
    return std::max(1, snapshot.top.value(QLatin1String("parts")).toInt(1));
}

engine::Page readSmartSnapshot(const QVariant &answer)
{
    engine::Page result;
    readSmartSnapshot(result, answer);
    return result;
}

PageCall smartFillScript(int generation, const engine::Page &p, const engine::Plan &plan, int *filled)
{
    // The plan as [[index, kind, value, field], ...], in control order;
    // controls that already held the right value keep it, their field is
    // remembered all the same (kind 3).
    QString ops;
    ops.reserve(64 + plan.writes.size() * 48);
    ops += QLatin1Char('[');
    *filled = 0;
    qsizetype next = 0;
    for (int i = 0; i < plan.fields.size(); ++i) {
        const engine::Write *w = nullptr;
        while (next < plan.writes.size() && plan.writes.at(next).control < i)
            ++next;
        if (next < plan.writes.size() && plan.writes.at(next).control == i)
            w = &plan.writes.at(next);
        if (!w && plan.fields.at(i).isEmpty())
            continue;
        if (ops.size() > 1)
            ops += QLatin1Char(',');
        ops += QLatin1Char('[') + QString::number(i);
        if (!w || (w->what == engine::Write::Value && !takesNumber(p.controls.at(i), w->value))) {
            ops += QLatin1String(",3,0,");
        } else if (w->what == engine::Write::Select) {
            ops += QLatin1String(",2,[");
            for (qsizetype k = 0; k < w->options.size(); ++k)
                ops += (k ? QLatin1String(",") : QLatin1String("")) + QString::number(w->options.at(k));
            for (int o : w->clear)
                ops += QLatin1Char(',') + QString::number(-1 - o);
            ops += QLatin1String("],");
            ++*filled;
        } else if (w->what == engine::Write::Check) {
            ops += QLatin1String(",1,0,");
            ++*filled;
        } else {
            ops += QLatin1String(",0,");
            appendScriptString(ops, w->value);
            ops += QLatin1Char(',');
            ++*filled;
        }
        appendScriptString(ops, plan.fields.at(i));
        ops += QLatin1Char(']');
    }
    ops += QLatin1Char(']');
    return applyScript(generation, ops, -1, false);
}

PageCall smartPressScript(int generation, int button, bool recordPresses)
{
    return applyScript(generation, QStringLiteral("[]"), button, recordPresses);
}

QString smartFillStatus(const SmartOutcome &outcome)
{
    if (!outcome.formFound)
        return QCoreApplication::translate("web", "Smart fill: no submission form found on this page.");
    return QCoreApplication::translate("web", "Smart fill: %1 %2 filled, %3 left for you.")
        .arg(outcome.filled)
        .arg(outcome.filled == 1 ? QCoreApplication::translate("web", "control")
                                 : QCoreApplication::translate("web", "controls"))
        .arg(outcome.left);
}

} // namespace web
