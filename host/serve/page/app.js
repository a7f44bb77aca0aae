// The parameter form and preview of `kdr serve`. Every field event goes to the server, whose
// answer is the form as the report's plug-in left it; the page only shows it.
"use strict";

const $ = (id) => document.getElementById(id);

const form = {
  report: null,
  entered: new Set(), // the fields the clerk changed: what a run and each event replay
  fields: new Map(), // name -> {box, input, picker, error, state}
  queue: Promise.resolve(), // events go one after the other, in the order they happened
  events: 0, // how many events were sent
};
const preview = { run: null, pages: 0, page: 1, zoom: 1 };
let formats = [];

async function callApi(method, path, body) {
  const options = { method, headers: {} };
  if (body !== undefined) {
    options.headers["Content-Type"] = "application/json";
    options.body = JSON.stringify(body);
  }
  const response = await fetch(path, options);
  const type = response.headers.get("Content-Type") || "";
  const answer = type.startsWith("application/json") ? await response.json() : null;
  if (!response.ok) {
    const error = new Error((answer && answer.message) || `Erro ${response.status}`);
    error.field = answer && answer.field;
    throw error;
  }
  return answer;
}

function element(tag, properties = {}, children = []) {
  const node = Object.assign(document.createElement(tag), properties);
  for (const child of children) node.append(child);
  return node;
}

// dd/mm/yyyy <-> yyyy-mm-dd, for the date picker beside the text.
function toIso(text) {
  const match = /^(\d{2})\/(\d{2})\/(\d{4})$/.exec(text.trim());
  return match ? `${match[3]}-${match[2]}-${match[1]}` : "";
}
function fromIso(iso) {
  const match = /^(\d{4})-(\d{2})-(\d{2})$/.exec(iso);
  return match ? `${match[3]}/${match[2]}/${match[1]}` : "";
}

async function loadReports() {
  try {
    const [reports, known] = await Promise.all([
      callApi("GET", "/api/reports"),
      callApi("GET", "/api/formats"),
    ]);
    formats = known;
    const list = $("report-list");
    for (const report of reports) {
      // Two reports may share a title: the plug-in's name tells them apart.
      const button = element("button", { type: "button" }, [
        report.title,
        element("small", { textContent: report.name }),
      ]);
      button.dataset.report = report.name;
      button.title = `${report.name} ${report.version}`;
      button.addEventListener("click", () => openReport(report.name));
      list.append(element("li", {}, [button]));
    }
  } catch (error) {
    $("list-error").textContent = error.message;
  }
}

async function openReport(name) {
  for (const button of document.querySelectorAll("#report-list button")) {
    button.classList.toggle("chosen", button.dataset.report === name);
  }
  form.report = name;
  form.entered = new Set();
  form.fields = new Map();
  $("fields").replaceChildren();
  $("form-error").textContent = "";
  $("form-panel").hidden = false;
  try {
    const state = await callApi("GET", `/api/reports/${encodeURIComponent(name)}`);
    if (form.report !== name) return;
    $("form-title").textContent = state.title;
    for (const field of state.fields) $("fields").append(buildField(field));
    showForm(state);
  } catch (error) {
    $("form-error").textContent = error.message;
  }
}

function buildField(field) {
  const id = `field-${field.name}`;
  const box = element("div", { className: "field" });
  box.dataset.field = field.name;
  const label = element("label", { htmlFor: id, textContent: field.caption || field.name });
  let input;
  let picker = null;
  if (field.type === "choice") {
    input = element("select", { id, name: field.name });
  } else {
    input = element("input", { id, name: field.name, type: "text", autocomplete: "off" });
    if (field.type === "integer") input.inputMode = "numeric";
    if (field.type === "date") input.placeholder = "dd/mm/aaaa";
  }
  box.append(label);
  if (field.type === "date") {
    picker = element("input", { type: "date", title: "Escolher no calendário", tabIndex: -1 });
    picker.addEventListener("change", () => {
      input.value = fromIso(picker.value);
      fieldEvent("change", field.name);
    });
    box.append(element("div", { className: "date" }, [input, picker]));
  } else {
    box.append(input);
  }
  if (field.hint) box.append(element("small", { className: "hint", textContent: field.hint }));
  const error = element("p", { className: "error", id: `error-${field.name}` });
  error.setAttribute("role", "alert");
  box.append(error);
  input.addEventListener("focus", () => fieldEvent("enter", field.name));
  input.addEventListener("change", () => fieldEvent("change", field.name));
  input.addEventListener("blur", () => fieldEvent("exit", field.name));
  form.fields.set(field.name, { box, input, picker, error, state: field, runError: "" });
  return box;
}

function currentValues() {
  const values = {};
  for (const name of form.entered) values[name] = form.fields.get(name).input.value;
  return values;
}

function fieldEvent(kind, name) {
  if (kind === "change") {
    form.entered.add(name);
    form.fields.get(name).runError = ""; // the run's word on the old value
  }
  // The values as they are now: the answer to this event is about them. Only the answer to the
  // latest event is shown; an earlier one would put back values the clerk has changed since.
  const report = form.report;
  const values = currentValues();
  const number = ++form.events;
  form.queue = form.queue.then(async () => {
    if (form.report !== report) return;
    try {
      const state = await callApi("POST", `/api/reports/${encodeURIComponent(report)}/form`, {
        values,
        event: { kind, field: name },
      });
      if (form.report === report && number === form.events) showForm(state);
    } catch (error) {
      if (form.report === report) showError(error, name);
    }
  });
}

function sameChoices(a, b) {
  return a.length === b.length && a.every((c, i) => c.value === b[i].value && c.caption === b[i].caption);
}

// The form as the plug-in left it: values, choices, enabled and required flags, problems.
function showForm(state) {
  $("form-error").textContent = "";
  for (const field of state.fields) {
    const shown = form.fields.get(field.name);
    if (!shown) continue;
    const { box, input, picker, error } = shown;
    if (input.tagName === "SELECT") {
      const choices = field.choices.slice();
      if (!choices.some((c) => c.value === field.value)) {
        choices.unshift({ caption: "", value: field.value });
      }
      const options = Array.from(input.options, (o) => ({ caption: o.text, value: o.value }));
      if (!sameChoices(options, choices)) {
        input.replaceChildren(...choices.map((c) => element("option", { value: c.value, textContent: c.caption })));
      }
      input.value = field.value;
    } else if (document.activeElement !== input) {
      // What the clerk is typing is not overwritten by the answer to an earlier event.
      input.value = field.value;
    }
    if (picker) {
      picker.value = toIso(input.value);
      picker.disabled = !field.enabled;
    }
    input.disabled = !field.enabled;
    box.classList.toggle("disabled", !field.enabled);
    box.classList.toggle("required", field.required);
    error.textContent = field.problem || shown.runError || "";
    box.classList.toggle("invalid", Boolean(error.textContent));
    shown.state = field;
  }
}

// Beside the field the message is about: the one it names, else the field of the event that
// raised it; a run's message about no field goes above the button.
function showError(error, eventField) {
  const field = form.fields.get(error.field || eventField);
  if (field) {
    field.runError = error.message;
    field.error.textContent = error.message;
    field.box.classList.add("invalid");
    field.box.scrollIntoView({ block: "nearest" });
  } else {
    $("form-error").textContent = error.message;
  }
}

async function runReport(event) {
  event.preventDefault();
  const report = form.report;
  await form.queue; // the last event's answer first
  for (const shown of form.fields.values()) {
    shown.runError = "";
    shown.error.textContent = shown.state.problem || "";
    shown.box.classList.toggle("invalid", Boolean(shown.state.problem));
  }
  $("form-error").textContent = "";
  $("result-panel").hidden = false;
  $("result").hidden = true;
  $("progress").hidden = false;
  $("run").disabled = true;
  const started = Date.now();
  const ticker = setInterval(() => {
    $("progress-text").textContent = `Executando… ${Math.round((Date.now() - started) / 1000)} s`;
  }, 500);
  $("progress-text").textContent = "Executando…";
  try {
    const answer = await callApi("POST", `/api/reports/${encodeURIComponent(report)}/run`, {
      params: currentValues(),
      format: "png",
    });
    showPreview(answer);
  } catch (error) {
    $("result-panel").hidden = true;
    showError(error);
  } finally {
    clearInterval(ticker);
    $("progress").hidden = true;
    $("run").disabled = false;
  }
}

// The preview on show is the only one the server keeps for this page.
function releasePreview() {
  if (!preview.run) return;
  fetch(`/api/runs/${preview.run}`, { method: "DELETE", keepalive: true }).catch(() => {});
  preview.run = null;
}

function showPreview(answer) {
  releasePreview();
  Object.assign(preview, { run: answer.run, pages: answer.pages, page: 1 });
  $("messages").replaceChildren(...answer.messages.map((text) => element("li", { textContent: text })));
  const links = formats
    .filter((format) => format !== "png")
    .map((format) =>
      element("a", {
        href: `/api/runs/${answer.run}/document/${format}`,
        textContent: format.toUpperCase(),
        download: `${form.report}.${format}`,
        id: `download-${format}`,
      }),
    );
  $("downloads").replaceChildren("Baixar:", ...links);
  $("result").hidden = false;
  showPage();
  zoomTo(preview.zoom);
  $("result-panel").scrollIntoView({ block: "start" });
}

function showPage() {
  const image = $("page-image");
  if (preview.pages === 0) {
    image.hidden = true;
    $("page-number").textContent = "O relatório não imprimiu nada.";
  } else {
    image.hidden = false;
    image.src = `/api/runs/${preview.run}/pages/${preview.page}`;
    $("page-number").textContent = `Página ${preview.page} de ${preview.pages}`;
  }
  $("previous").disabled = preview.page <= 1;
  $("next").disabled = preview.page >= preview.pages;
  $("zoom-level").textContent = `${Math.round(preview.zoom * 100)}%`;
}

// 100% fits the page to the viewer's width.
function zoomTo(zoom) {
  preview.zoom = Math.min(4, Math.max(0.25, zoom));
  $("page-image").style.width = `${preview.zoom * 100}%`;
  $("zoom-level").textContent = `${Math.round(preview.zoom * 100)}%`;
}

document.addEventListener("DOMContentLoaded", () => {
  $("form").addEventListener("submit", runReport);
  $("previous").addEventListener("click", () => {
    preview.page -= 1;
    showPage();
  });
  $("next").addEventListener("click", () => {
    preview.page += 1;
    showPage();
  });
  $("zoom-in").addEventListener("click", () => zoomTo(preview.zoom * 1.25));
  $("zoom-out").addEventListener("click", () => zoomTo(preview.zoom / 1.25));
  window.addEventListener("pagehide", releasePreview);
  loadReports();
});
