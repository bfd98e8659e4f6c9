// Writes the page from its template and the Qt Designer forms, so the page
// shows the same windows, controls and texts as the other faces. Each
// control with a control id becomes an element "d<dialog>-<id>"; layouts
// become flex boxes and grids.
//   node forms_to_html.js TEMPLATE VERSION OUT FORM.ui...
'use strict';

const fs = require('fs');

// The forms' XML: elements, attributes and text; no namespaces, no entities
// beyond the five XML defines.
function parseXml(text) {
  const root = {name: '#root', attrs: {}, children: [], text: ''};
  const stack = [root];
  const unescape = (s) => s.replace(/&lt;/g, '<').replace(/&gt;/g, '>').replace(/&quot;/g, '"')
      .replace(/&apos;/g, "'").replace(/&amp;/g, '&');
  const token = /<!--[\s\S]*?-->|<\?[\s\S]*?\?>|<(\/?)([\w:.-]+)((?:\s+[\w:.-]+="[^"]*")*)\s*(\/?)>|([^<]+)/g;
  for (let m; (m = token.exec(text));) {
    const [, closing, name, attrText, selfClosing, chars] = m;
    const top = stack[stack.length - 1];
    if (chars !== undefined) {
      top.text += unescape(chars);
    } else if (name && closing) {
      stack.pop();
    } else if (name) {
      const attrs = {};
      for (const [, key, value] of (attrText || '').matchAll(/([\w:.-]+)="([^"]*)"/g)) {
        attrs[key] = unescape(value);
      }
      const element = {name, attrs, children: [], text: ''};
      top.children.push(element);
      if (!selfClosing) stack.push(element);
    }
  }
  return root;
}

const child = (node, name) => node.children.find((c) => c.name === name);
const escapeHtml = (s) => s.replace(/&/g, '&amp;').replace(/</g, '&lt;').replace(/>/g, '&gt;')
    .replace(/"/g, '&quot;');

// A widget's own property (string, number or bool), or undefined.
function property(widget, name) {
  const found = widget.children.find((c) => c.name === 'property' && c.attrs.name === name);
  if (!found || !found.children.length) return undefined;
  const value = found.children[0];
  if (value.name === 'bool') return value.text.trim() === 'true';
  if (value.name === 'number') return Number(value.text.trim());
  return value.text;
}

function writeForm(form, version) {
  const dialog = child(child(form, 'ui'), 'widget');
  const dialogId = property(dialog, 'controlId');
  const title = property(dialog, 'windowTitle').replace(/@DP3_VERSION@/g, version);
  let labelCount = 0;

  const idOf = (widget) => {
    const controlId = property(widget, 'controlId');
    return controlId === undefined ? null : `d${dialogId}-${controlId}`;
  };
  // Common attributes: the id, hidden, the hint.
  const common = (widget) => {
    const parts = [];
    const id = idOf(widget);
    if (id) parts.push(`id="${id}" data-control="${property(widget, 'controlId')}"`);
    if (property(widget, 'visible') === false) parts.push('hidden');
    const tip = property(widget, 'toolTip');
    if (tip) parts.push(`title="${escapeHtml(tip)}"`);
    return parts.length ? ' ' + parts.join(' ') : '';
  };
  // A label names the box after it in the same row, for assistive technology.
  const labelled = (items) => {
    for (let i = 0; i + 1 < items.length; ++i) {
      const [label, box] = [items[i].widget, items[i + 1].widget];
      if (!label || !box || label.attrs.class !== 'QLabel') continue;
      if (!['QLineEdit', 'QPlainTextEdit', 'QComboBox'].includes(box.attrs.class)) continue;
      if (items[i].row !== items[i + 1].row) continue;
      label.labelId = label.labelId || idOf(label) || `d${dialogId}-label${++labelCount}`;
      box.labelledBy = label.labelId;
    }
  };

  function widgetHtml(widget) {
    const kind = widget.attrs.class;
    const text = escapeHtml((property(widget, 'text') || '').replace(/&(?=\w)/g, ''));
    const aria = widget.labelledBy ? ` aria-labelledby="${widget.labelledBy}"` : '';
    const layout = child(widget, 'layout');
    switch (kind) {
      case 'QLabel': {
        if (property(widget, 'pixmap') !== undefined) return `<img src="dp3tools.png" alt="" class="icon"${common(widget)}>`;
        const id = widget.labelId && !idOf(widget) ? ` id="${widget.labelId}"` : '';
        return `<span class="label"${id}${common(widget)}>${text}</span>`;
      }
      case 'QLineEdit': {
        const max = property(widget, 'maxLength');
        const readOnly = property(widget, 'readOnly') ? ' readonly' : '';
        const hint = property(widget, 'placeholderText');
        return `<input type="text"${common(widget)}${aria}${max ? ` maxlength="${max}"` : ''}` +
            `${hint ? ` placeholder="${escapeHtml(hint)}"` : ''}${readOnly}>`;
      }
      case 'QPlainTextEdit': {
        const readOnly = property(widget, 'readOnly') ? ' readonly' : '';
        return `<textarea rows="2"${common(widget)}${aria}${readOnly}></textarea>`;
      }
      case 'QComboBox':
        return `<select${common(widget)}${aria}></select>`;
      case 'QCheckBox':
      case 'QRadioButton': {
        const type = kind === 'QCheckBox' ? 'checkbox' : 'radio';
        const checked = property(widget, 'checked') ? ' checked' : '';
        return `<label class="check"><input type="${type}"${common(widget)}${checked}> ${text}</label>`;
      }
      case 'QPushButton':
      case 'QToolButton':
        return `<button type="button"${common(widget)}>${text}</button>`;
      case 'QProgressBar':
        return `<progress max="100" value="0"${common(widget)}${aria}></progress>`;
      case 'QGroupBox':
        return `<fieldset${common(widget)}><legend>${escapeHtml(property(widget, 'title') || '')}` +
            `</legend>${layout ? layoutHtml(layout) : ''}</fieldset>`;
      case 'QScrollArea':
        return widgetHtml(child(widget, 'widget'));
      default:
        return layout ? `<div${common(widget)}>${layoutHtml(layout)}</div>` : '';
    }
  }

  function layoutHtml(layout) {
    const items = layout.children.filter((c) => c.name === 'item').map((item) => ({
      row: Number(item.attrs.row || 0),
      column: Number(item.attrs.column || 0),
      rowSpan: Number(item.attrs.rowspan || 1),
      columnSpan: Number(item.attrs.colspan || 1),
      widget: child(item, 'widget'),
      layout: child(item, 'layout'),
      spacer: child(item, 'spacer'),
    }));
    const grid = layout.attrs.class === 'QGridLayout';
    if (grid) items.sort((a, b) => a.row - b.row || a.column - b.column);
    labelled(grid ? items : items.map((item) => ({...item, row: 0})));
    const inner = items.map((item) => {
      let html = item.widget ? widgetHtml(item.widget)
          : item.layout ? layoutHtml(item.layout) : '<span class="spacer"></span>';
      if (grid) {
        html = `<div class="cell" style="grid-row:${item.row + 1}/span ${item.rowSpan};` +
            `grid-column:${item.column + 1}/span ${item.columnSpan}">${html}</div>`;
      }
      return html;
    }).join('\n');
    const kind = {QGridLayout: 'grid', QHBoxLayout: 'hbox', QVBoxLayout: 'vbox'}[layout.attrs.class];
    return `<div class="${kind}">\n${inner}\n</div>`;
  }

  const body = layoutHtml(child(dialog, 'layout'));
  const heading = `<h2 id="d${dialogId}-title">${escapeHtml(title)}</h2>`;
  if (dialogId === 1001) {
    return `<section id="d${dialogId}" class="window" aria-labelledby="d${dialogId}-title">` +
        `${heading}\n${body}\n</section>`;
  }
  return `<dialog id="d${dialogId}" class="window" aria-labelledby="d${dialogId}-title">` +
      `${heading}\n${body}\n</dialog>`;
}

const [templatePath, version, outPath, ...forms] = process.argv.slice(2);
const html = forms.map((form) => writeForm(parseXml(fs.readFileSync(form, 'utf8')), version));
const page = fs.readFileSync(templatePath, 'utf8').replace('<!-- forms -->', html.join('\n'));
fs.writeFileSync(outPath, page);
