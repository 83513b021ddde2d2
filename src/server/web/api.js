// Requests to the server's API. A server that needs a token answers 401; the page then asks for
// it once and keeps it in sessionStorage (this tab only, gone when the tab closes).

const TOKEN_KEY = "novaflux.token";

// A failed request: the HTTP status, the server's description, the field it names (if any) and
// the body as sent (the JSON of a failed rating, for instance).
export class ApiError extends Error {
  constructor(status, message, field, body) {
    super(message);
    this.status = status;
    this.field = field || "";
    this.body = body;
  }
}

function askToken(retry) {
  const dialog = document.getElementById("token-dialog");
  const input = document.getElementById("token-input");
  input.value = "";
  dialog.returnValue = "";
  const heading = dialog.querySelector("h3");
  heading.textContent = retry ? "The token was not accepted; try again" : "This server needs a token";
  // Enter in the field means "use it" (the form's first button would be Cancel).
  input.onkeydown = (event) => {
    if (event.key !== "Enter") return;
    event.preventDefault();
    dialog.close("ok");
  };
  return new Promise((resolve) => {
    dialog.addEventListener("close", () => resolve(dialog.returnValue === "ok" ? input.value.trim() : ""), { once: true });
    dialog.showModal();
  });
}

// Requests sent together that all meet a 401 share one prompt.
let pendingPrompt = null;
function tokenPrompt(retry) {
  if (!pendingPrompt) pendingPrompt = askToken(retry).finally(() => { pendingPrompt = null; });
  return pendingPrompt;
}

async function errorOf(response) {
  const text = await response.text();
  let body = null;
  try {
    body = JSON.parse(text);
  } catch {
    return new ApiError(response.status, text.trim() || `${response.status} ${response.statusText}`, "", text);
  }
  const error = body && body.error;
  const message = error && error.description ? error.description : `${response.status} ${response.statusText}`;
  return new ApiError(response.status, message, body.field, body);
}

// Sends a request; asks for the token when the server wants one. Returns the Response of a 2xx
// answer; throws ApiError otherwise. `accept` lists other statuses that are answers, not failures
// (422: a rating that failed cleanly, with its JSON).
export async function request(path, { method = "GET", body, type, accept = [] } = {}) {
  for (let attempt = 0; ; ++attempt) {
    const headers = {};
    if (type) headers["Content-Type"] = type;
    const token = sessionStorage.getItem(TOKEN_KEY);
    if (token) headers.Authorization = `Bearer ${token}`;
    let response;
    try {
      response = await fetch(path, { method, body, headers, cache: "no-store" });
    } catch (e) {
      throw new ApiError(0, "the server cannot be reached: is `novaflux serve` still running?", "", null);
    }
    if (response.status === 401 && attempt < 3) {
      const given = await tokenPrompt(Boolean(token));
      if (!given) throw new ApiError(401, "this server needs its token (started with --token)", "", null);
      sessionStorage.setItem(TOKEN_KEY, given);
      continue;
    }
    if (response.ok || accept.includes(response.status)) return response;
    throw await errorOf(response);
  }
}

export async function getJson(path) {
  return (await request(path)).json();
}

// POSTs the unit's JSON; the answer as text with its status.
export async function postUnit(path, unit, accept = [422]) {
  const response = await request(path, { method: "POST", body: JSON.stringify(unit), type: "application/json", accept });
  return { status: response.status, text: await response.text(), type: response.headers.get("Content-Type") || "" };
}

// A query string of the parameters that have a value.
export function query(parameters) {
  const search = new URLSearchParams();
  for (const [name, value] of Object.entries(parameters)) if (value !== "" && value != null) search.set(name, value);
  const text = search.toString();
  return text ? `?${text}` : "";
}
