#include "snapshotscript.h"

#include <algorithm>

namespace web {

namespace {

// Builds window.__dodu[gen] = [elements of the page, of frame 0, ...] and
// returns the description of each document. With signals, each document's
// description holds "sig" in place of "len" and "els", and the page's
// controls and submit buttons are kept in window.__dodu[gen].controls and
// .buttons, across its documents in the order described. With signals and a
// part size, a page of more controls is described in parts: the first
// answer says in "parts" how many answers there are, and each further call
// with `more` set answers the next part, {"sig": ...}, the last one with the
// frames.
const char kSnapshotScript[] = R"JS(
(function (gen, withSignals, partSize, more) {
  if (more) {
    const kept = window.__dodu && window.__dodu[gen];
    return kept && kept.more ? kept.more() : null;
  }
  const store = (window.__dodu = window.__dodu || {});
  const docs = (store[gen] = []);
  const textLike = { email: 1, url: 1, tel: 1, search: 1, number: 1 };
  // The input types some routine acts on; inputs of other types are left out.
  const acted = { text: 1, password: 1, checkbox: 1, radio: 1, submit: 1, image: 1 };
  const xhtml = 'http://www.w3.org/1999/xhtml';
  // An XML document is no HTML page, even when the engine shows it as a tree.
  function isHtml(doc) {
    if (!doc || !doc.documentElement) return false;
    const type = String(doc.contentType || '');
    return !/[+/]xml$/.test(type) || type === 'application/xhtml+xml';
  }
  // Each frame one level deep described: {refused: true} for one of another
  // origin, {none: true} for one without a document.
  function eachFrame(describe) {
    const described = [];
    for (let i = 0; i < window.frames.length; ++i) {
      let d = null;
      try {
        d = window.frames[i].document;
      } catch (err) {
        described.push({ refused: true });
        continue;
      }
      described.push(d ? describe(d) : { none: true });
    }
    return described;
  }
  function snap(doc) {
    const out = { html: isHtml(doc), body: false, len: 0, els: [], key: docs.length };
    const els = [];
    docs.push(els);
    if (!out.html || !doc.body) return out;
    out.body = true;
    out.len = (doc.body.innerText || '').length;
    // One entry per control a routine may act on, in document order:
    // [type ('textarea' for a text area), name, value, alt, form], where the
    // value is sent for radio and submit inputs, alt for submit and image
    // inputs, and the form (for radio groups) for radio inputs only.
    const forms = new Map();
    const list = doc.querySelectorAll('input, textarea');
    for (let i = 0; i < list.length; ++i) {
      const e = list[i];
      if (e.namespaceURI !== xhtml) continue;
      let ty = 'textarea';
      if (e.localName === 'input') {
        ty = e.type;
        if (textLike[ty]) ty = 'text';
        else if (!acted[ty]) continue;
      }
      els.push(e);
      if (ty === 'radio') {
        let f = -1;
        if (e.form) {
          if (!forms.has(e.form)) forms.set(e.form, forms.size);
          f = forms.get(e.form);
        }
        out.els.push([ty, e.name, e.value, '', f]);
      } else if (ty === 'submit') {
        out.els.push([ty, e.name, e.value, e.alt]);
      } else if (ty === 'image') {
        out.els.push([ty, e.name, '', e.alt]);
      } else {
        out.els.push([ty, e.name]);
      }
    }
    return out;
  }
  if (withSignals) {
    // Every form control's signals, for the smart fill: what it says about
    // itself and what the page says about it. Frames are read whatever the
    // page's own text; a frame of another origin gives none.
    // window.__dodu[gen].controls and .buttons keep the live elements of the
    // whole page in the order described.
    const clean = (t) => String(t || '').replace(/\s+/g, ' ').trim();
    const cut = (t) => (t.length > 160 ? t.slice(t.length - 160) : t);
    const controls = 'input, textarea, select, button';
    const skip = { hidden: 1, submit: 1, image: 1, button: 1, reset: 1, file: 1, password: 1, range: 1, color: 1 };
    // Inputs hold no text of their own; only lists, text areas, buttons and
    // scripts inside an element have to be taken out of its text.
    const noisy = 'select, textarea, button, option, script, style';
    function text(n) {
      if (!n) return '';
      if (n.nodeType === 3) return clean(n.data);
      const t = n.textContent;
      if (!t || !/\S/.test(t)) return '';
      if (!n.querySelector(noisy)) return clean(t);
      const c = n.cloneNode(true);
      for (const x of c.querySelectorAll(controls + ', option, script, style')) x.remove();
      return clean(c.textContent);
    }
    const choiceInput = 'input[type=radio i], input[type=checkbox i]';
    // Whether a node is a radio or check box or a label holding one; the
    // walks back from the buttons of a group pass the same nodes again and
    // again, so each is asked once.
    const choices = new Map();
    const choice = (n) => {
      let c = choices.get(n);
      if (c === undefined) {
        c = n.nodeType === 1 && (n.matches(choiceInput) || (n.localName === 'label' && !!n.querySelector(choiceInput)));
        choices.set(n, c);
      }
      return c;
    };
    const blank = (s) => s.nodeType === 3 && !/\S/.test(s.data);
    // The node before n that is neither blank text nor a line break.
    function before(n) {
      let s = n.previousSibling;
      while (s && (blank(s) || (s.nodeType === 1 && s.localName === 'br'))) s = s.previousSibling;
      return s;
    }
    let labelsFor = null;
    // Whether the document has table or list cells a row heading may name.
    let hasCells = false;
    // The labels holding a list, text area, button or script, whose text is
    // to be read without theirs; found once per document.
    let noisyLabels = null;
    function findNoisyLabels(doc) {
      noisyLabels = new Set();
      for (const x of doc.querySelectorAll('label select, label textarea, label button, label script, label style'))
        for (let l = x.parentElement && x.parentElement.closest('label'); l && !noisyLabels.has(l);
             l = l.parentElement && l.parentElement.closest('label'))
          noisyLabels.add(l);
    }
    // Its pieces are clean texts, joined by one space.
    function ownLabel(e, type, id) {
      let t = '';
      const wrap = e.closest('label');
      if (wrap && !wrap.htmlFor) t = noisyLabels.has(wrap) ? text(wrap) : clean(wrap.textContent);
      if (id && labelsFor.has(id))
        for (const l of labelsFor.get(id)) {
          const x = text(l);
          if (x) t = t ? t + ' ' + x : x;
        }
      // "<input type=checkbox> Windows": the text right after a button names it.
      if (!t && (type === 'radio' || type === 'checkbox')) {
        for (let s = e.nextSibling; s; s = s.nextSibling) {
          if (s.nodeType === 1 && (s.matches(controls) || s.querySelector(controls) || s.localName === 'br')) break;
          t = text(s);
          if (t) break;
        }
      }
      return cut(t);
    }
    // The walk back over a node's earlier siblings ends the same way from
    // each node passed; the answer is kept per node, so the buttons of a
    // long group do not walk the same siblings again.
    let walked = new Map();
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
        const r = siblingsBefore(node);
        if (r !== null) return withHeading(e, r);
        node = node.parentElement;
        if (node.localName === 'fieldset') {
          const lg = node.querySelector(':scope > legend');
          if (lg) return cut(text(lg));
        }
      }
      return '';
    }
    // A control in a table cell that holds other text or a list before it:
    // the row's heading ("Download URL:") comes first.
    function withHeading(e, r) {
      if (!hasCells) return r;
      let cell = e.parentElement;
      for (let depth = 0; depth < 3 && cell && cell.localName !== 'td' && cell.localName !== 'dd'; depth++)
        cell = cell.parentElement;
      if (!cell || (cell.localName !== 'td' && cell.localName !== 'dd')) return r;
      const p = cell.previousElementSibling;
      const h = p ? text(p) : '';
      return h ? cut(r ? h + ' ' + r : h) : r;
    }
    // The text right after a control: a unit ("bytes"), a help text, a
    // character counter, or the unit a list beside it shows. Text that
    // another control follows is that control's label, unless it is one
    // short word ("bytes").
    function after(e) {
      let node = e;
      for (let depth = 0; depth < 3 && node; depth++) {
        let t = '';
        for (let s = node.nextSibling; s && t.length < 200; s = s.nextSibling) {
          if (s.nodeType === 3) { t += ' ' + s.data; continue; }
          if (s.nodeType !== 1) continue;
          const st = s.localName;
          if (st === 'script' || st === 'style') continue;
          if (st === 'br') { if (/\S/.test(t)) break; continue; }
          if (st === 'select' && !/\S/.test(t))
            return s.selectedIndex >= 0 ? clean(s.options[s.selectedIndex].text).slice(0, 40) : '';
          if (s.matches(controls) || s.querySelector(controls)) {
            const w = clean(t);
            return /^[\w.()]{1,8}$/.test(w) ? w : '';
          }
          t += ' ' + text(s);
        }
        const w = clean(t);
        if (w) return w.slice(0, 200);
        // A control wrapped alone: the text after its wrapper.
        const p = node.parentElement;
        if (!p || !/^(span|div)$/.test(p.localName) || p.childElementCount !== 1 || /\S/.test(p.textContent))
          return '';
        node = p;
      }
      return '';
    }
    // What the siblings before node say: a text, '' when a control comes
    // first, null when they say nothing.
    function siblingsBefore(node) {
      const passed = [];
      let result = null;
      for (let s = node.previousSibling; s; s = s.previousSibling) {
        const known = walked.get(s);
        if (known !== undefined) { result = known; break; }
        passed.push(s);
        const r = step(s);
        if (r !== undefined) { result = r; break; }
      }
      for (const p of passed) walked.set(p, result);
      return result;
    }
    // One sibling: its text, '' for a control, undefined to go on.
    function step(s) {
      // The other buttons of a group and the texts after them name their
      // own options, not this control.
      const nt = s.nodeType;
      if (nt === 3) {
        if (blank(s)) return undefined;
        const b = before(s);
        if (b && choice(b)) return undefined;
        return cut(clean(s.data));
      }
      if (nt !== 1) return undefined;
      if (choice(s)) return undefined;
      const sb = before(s);
      if (sb && choice(sb) && !s.querySelector(controls)) return undefined;
      const st = s.localName;
      if (st === 'br' || st === 'script' || st === 'style' || st === 'hr') return undefined;
      if (s.matches(controls) || s.querySelector(controls)) return '';
      const t = text(s);
      return t ? cut(t) : undefined;
    }
    // The elements whose style may hide them: those the page's rules or
    // inline styles give a visibility other than visible or an opacity not
    // above 0, with the controls inside them; only these are asked for their
    // computed style. null when that cannot be told (a style sheet of another
    // origin, a running animation): then every control is asked.
    function styleSuspects(doc) {
      const hides = (st) => {
        const v = st.getPropertyValue('visibility'), o = st.getPropertyValue('opacity');
        return (!!v && v !== 'visible') || (!!o && !(parseFloat(o) > 0));
      };
      const selectors = [];
      function walk(rules) {
        for (const r of rules) {
          if (r.type === 7) { // keyframes
            for (const k of r.cssRules) if (hides(k.style)) return false;
          } else if (r.type === 3) { // @import
            if (!r.styleSheet || !walk(r.styleSheet.cssRules)) return false;
          } else if (r.style && r.selectorText !== undefined) {
            if (hides(r.style)) selectors.push(r.selectorText);
          }
          if (r.type !== 7 && r.cssRules && !walk(r.cssRules)) return false;
        }
        return true;
      }
      try {
        if (doc.getAnimations && doc.getAnimations().length) return null;
        for (const sheet of [...doc.styleSheets, ...(doc.adoptedStyleSheets || [])])
          if (!walk(sheet.cssRules)) return null;
      } catch (err) {
        return null;
      }
      const suspects = new Set();
      const add = (root) => {
        suspects.add(root);
        for (const c of root.querySelectorAll(controls)) suspects.add(c);
      };
      for (const sel of selectors) {
        let found;
        try { found = doc.querySelectorAll(sel); } catch (err) { return null; }
        for (const x of found) add(x);
      }
      for (const x of doc.querySelectorAll('[style]')) if (hides(x.style)) add(x);
      return suspects;
    }
    // Hidden, of no size or off the page. The box is read first: most hidden
    // controls have none, and the style is asked only where it may hide.
    let scrollX = 0, scrollY = 0, pageWidth = 0, suspects = null;
    function visible(e, view) {
      const r = e.getBoundingClientRect();
      const width = r.width, height = r.height;
      if (width < 1 || height < 1) return false;
      const x = r.left + scrollX, y = r.top + scrollY;
      if (x + width <= 0 || y + height <= 0 || x >= pageWidth) return false;
      if (suspects && !suspects.has(e)) return true;
      const st = view.getComputedStyle(e);
      return st.visibility === 'visible' && st.opacity !== '0';
    }
    // A control's entry without its attributes gets their empty values, so
    // that options and the text after come at their places, 14 and 15.
    function pad(a) {
      if (a.length === 8) a.push(-1, '', '', '', '', '');
    }
    // Trailing values that say nothing ('', -1) are left off.
    function trim(a, keep) {
      let n = a.length;
      while (n > keep && (a[n - 1] === '' || a[n - 1] === -1)) --n;
      a.length = n;
      return a;
    }
    const kept = (docs.controls = []);
    const pressable = (docs.buttons = []);
    let formCount = 0;
    // One document: [control, ...] and [button, ...], a control
    // [form, type, flags, name, id, label, context, value, maxLength,
    //  placeholder, aria, title, autocomplete, pattern, options, after]
    // without its trailing empty values, flags 1 checked, 2 multiple, 4 visible,
    // 8 editable; an option [text, value, selected] ([text] when the value is
    // the text and it is not selected); a button [form, text, visible, image].
    // A document's reader: read(n) describes its next n controls (all when
    // n is 0) as { c: [...], b: [...] }; left() counts the controls to come.
    function reader(doc) {
      if (!doc || !doc.body) return { left: () => 0, read: () => ({ c: [], b: [] }) };
      const view = doc.defaultView;
      findNoisyLabels(doc);
      labelsFor = new Map();
      for (const l of doc.querySelectorAll('label[for]')) {
        const id = l.htmlFor;
        const list = labelsFor.get(id);
        if (list) list.push(l); else labelsFor.set(id, [l]);
      }
      pageWidth = Math.max(doc.documentElement.scrollWidth, view.innerWidth);
      scrollX = view.scrollX;
      scrollY = view.scrollY;
      suspects = styleSuspects(doc);
      // Whether a fieldset disables what it holds; else a control's own
      // attribute says whether it is disabled.
      const fieldsetOff = !!doc.querySelector('fieldset[disabled]');
      hasCells = !!doc.querySelector('td, dd');
      // The controls with an attribute read beyond name and type; the others
      // are not asked for their attributes.
      const rich = new Set(doc.querySelectorAll(
          ':is(input, textarea, select, button):is([id], [placeholder], [aria-label], [title], ' +
          '[autocomplete], [pattern], [maxlength], [readonly], [disabled], [multiple])'));
      walked = new Map();
      const forms = new Map();
      const groups = new Set();
      let loose = -1;
      const list = doc.querySelectorAll(controls);
      let at = 0;
      function read(n) {
        const out = { c: [], b: [] };
        const end = n > 0 ? Math.min(list.length, at + n) : list.length;
        for (; at < end; ++at) {
          const e = list[at];
          // The type tells the element apart but for buttons: a textarea's is
          // "textarea", a list's "select-one" or "select-multiple".
          let type = String(e.type || 'text').toLowerCase();
          let tag = 'input';
          if (type === 'textarea') tag = type;
          else if (type.startsWith('select')) tag = type = 'select';
          else if (type === 'submit' || type === 'button' || type === 'reset') tag = e.localName;
          const f = e.form;
          let form;
          if (!f) {
            if (loose < 0) loose = formCount++;
            form = loose;
          } else {
            form = forms.get(f);
            if (form === undefined) forms.set(f, (form = formCount++));
          }
          if (tag === 'button' || type === 'submit' || type === 'image') {
            if (type !== 'submit' && type !== 'image') continue;
            pressable.push(e);
            // An image input is a submit control too (editor tool bars use
            // them), told apart so that the form's own button comes first.
            const words = [e.value, tag === 'button' ? e.textContent : '', e.alt, e.title, e.name, e.id,
                           e.getAttribute('aria-label'), type === 'submit' && tag === 'input' ? 'submit' : ''];
            out.b.push([form, clean(words.join(' ')), visible(e, view) ? 1 : 0, type === 'image' ? 1 : 0]);
            continue;
          }
          if (skip[type] && tag === 'input') continue;
          kept.push(e);
          const choiceType = type === 'radio' || type === 'checkbox';
          // Most controls carry only a name and a type; the others' attributes
          // are read when present.
          const attrs = rich.has(e) ? e.getAttributeNames() : null;
          const name = e.name, id = attrs && attrs.includes('id') ? e.id : '';
          const label = ownLabel(e, type, id);
          // The text before a control matters when it has no label of its own,
          // and for a group of buttons (their own labels name their options),
          // where the first button's says it for the group.
          let ctx = '';
          if (choiceType && name) {
            const key = form + '\u001f' + type + '\u001f' + name;
            if (!groups.has(key)) {
              groups.add(key);
              ctx = context(e);
            }
          } else if (!label || choiceType) {
            ctx = context(e);
          }
          const value = tag === 'select' ? '' : String(e.value);
          let flags = (choiceType && e.checked ? 1 : 0) | (visible(e, view) ? 4 : 0);
          let a;
          if (attrs) {
            const has = (n) => attrs.includes(n);
            flags |= (has('multiple') && e.multiple ? 2 : 0) |
                     ((has('readonly') && e.readOnly) || ((fieldsetOff || has('disabled')) && e.matches(':disabled')) ? 0 : 8);
            a = [form, type, flags, name, id, label, ctx, value, has('maxlength') && e.maxLength > 0 ? e.maxLength : -1,
                 has('placeholder') ? e.placeholder || '' : '', has('aria-label') ? e.getAttribute('aria-label') : '',
                 has('title') ? e.title : '', has('autocomplete') ? e.getAttribute('autocomplete') : '',
                 has('pattern') ? e.getAttribute('pattern') : ''];
          } else {
            flags |= fieldsetOff && e.matches(':disabled') ? 0 : 8;
            a = [form, type, flags, name, id, label, ctx, value];
          }
          if (tag === 'select' && e.options.length) {
            const options = [];
            for (const o of e.options) {
              const t = clean(o.text), v = String(o.value);
              options.push(o.selected ? [t, v, 1] : v === t ? [t] : [t, v]);
            }
            pad(a);
            a.push(options);
          }
          const next = choiceType ? '' : after(e);
          if (next) {
            pad(a);
            if (a.length < 15) a[14] = [];
            a.push(next);
          }
          out.c.push(trim(a, 3));
        }
        return out;
      }
      return { left: () => list.length - at, read };
    }
    // The frames, each read whole once the top document is.
    const frames = () =>
      eachFrame((d) => {
        const described = { html: isHtml(d), body: !!d.body, key: docs.length, sig: reader(d).read(0) };
        docs.push([]);
        return described;
      });
    const page = reader(document);
    const top = { html: isHtml(document), body: !!document.body, key: 0, sig: page.read(partSize), frames: [] };
    docs.push([]);
    if (page.left() > 0) {
      top.parts = 1 + Math.ceil(page.left() / partSize);
      docs.more = () => {
        const part = { sig: page.read(partSize) };
        if (page.left() === 0) {
          part.frames = frames();
          delete docs.more;
        }
        return JSON.stringify(part);
      };
    } else {
      top.frames = frames();
    }
    return JSON.stringify(top);
  }
  const top = snap(document);
  top.frames = top.body && top.len < 4 ? eachFrame(snap) : [];
  return JSON.stringify(top);
})
)JS";

} // namespace

int newSnapshotGeneration()
{
    static int g = 0;
    return ++g;
}

const PageFunction &snapshotFunction()
{
    static const PageFunction f {QStringLiteral("snapshot"), QString::fromLatin1(kSnapshotScript).trimmed()};
    return f;
}

PageCall snapshotScript(int generation, SnapshotDetail detail, int partSize)
{
    return {&snapshotFunction(),
            QStringLiteral("%1, %2, %3")
                .arg(generation)
                .arg(detail == SnapshotDetail::Signals ? QLatin1String("true") : QLatin1String("false"))
                .arg(detail == SnapshotDetail::Signals ? std::max(0, partSize) : 0)};
}

PageCall snapshotPartScript(int generation)
{
    return {&snapshotFunction(), QStringLiteral("%1, true, 0, true").arg(generation)};
}

QString releaseSnapshotScript(int generation)
{
    return QStringLiteral("if (window.__dodu) delete window.__dodu[%1];").arg(generation);
}

void appendScriptString(QString &out, const QString &text)
{
    static const char hex[] = "0123456789abcdef";
    auto escaped = [&out](char16_t c) {
        out += QLatin1String("\\u");
        for (int shift = 12; shift >= 0; shift -= 4)
            out += QLatin1Char(hex[(c >> shift) & 0xf]);
    };
    out += QLatin1Char('"');
    // Runs of characters that need no escape are copied whole.
    const QChar *const data = text.constData();
    const qsizetype n = text.size();
    qsizetype run = 0;
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t c = data[i].unicode();
        const bool plain = c >= 0x20 && c != u'"' && c != u'\\' && c != 0x2028 && c != 0x2029 && !QChar::isSurrogate(c);
        if (plain)
            continue;
        if (QChar::isHighSurrogate(c) && i + 1 < n && QChar::isLowSurrogate(data[i + 1].unicode())) {
            ++i; // a whole pair stays in the run
            continue;
        }
        out.append(data + run, i - run);
        if (c == u'"' || c == u'\\') {
            out += QLatin1Char('\\');
            out += QChar(c);
        } else {
            escaped(c);
        }
        run = i + 1;
    }
    out.append(data + run, n - run);
    out += QLatin1Char('"');
}

} // namespace web
