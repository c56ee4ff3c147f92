// SPDX-License-Identifier: GPL-3.0-or-later
#include "webwhois/WebWhoisPage.h"

namespace orvanta::webwhois {
namespace {

std::string pageStart(std::string_view title) {
    std::string page = "<!DOCTYPE html><html><head><meta charset=\"utf-8\">"
                       "<meta http-equiv=\"Content-Security-Policy\" content=\"";
    page += kPagePolicy;
    page += "\"><title>";
    page += htmlEscape(title);
    page += "</title><style>"
            "body{font-family:Tahoma,sans-serif;font-size:13px;margin:12px;color:#222}"
            "h1{font-size:18px;margin:0 0 10px}h2{font-size:14px;margin:16px 0 4px}"
            "pre{background:#f4f4f4;border:1px solid #ddd;padding:8px;white-space:pre-wrap;"
            "word-break:break-word;margin:0}"
            ".failed{color:#a00000}.note{color:#555;margin-top:14px}"
            "</style></head><body>";
    return page;
}

constexpr std::string_view kPageEnd = "</body></html>";

} // namespace

std::string htmlEscape(std::string_view text) {
    std::string out;
    out.reserve(text.size() + text.size() / 8);
    for (char ch : text) {
        switch (ch) {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '"':
            out += "&quot;";
            break;
        case '\'':
            out += "&#39;";
            break;
        case '\t':
        case '\n':
            out += ch;
            break;
        default:
            if (static_cast<unsigned char>(ch) < 0x20 || ch == '\x7f') {
                out += "\xEF\xBF\xBD";
            } else {
                out += ch;
            }
        }
    }
    return out;
}

std::string chainPage(const WhoisChainResult& result) {
    std::string page = pageStart("Whois: " + result.name);
    page += "<h1>Whois: ";
    page += htmlEscape(result.name);
    page += "</h1>";
    if (!result.lead.empty()) {
        page += "<p class=\"note\">";
        page += htmlEscape(result.lead);
        page += "</p>";
    }
    for (const WhoisStep& step : result.steps) {
        page += "<h2>Server: ";
        page += htmlEscape(step.server);
        page += "</h2><pre";
        page += step.failed ? " class=\"failed\">" : ">";
        page += htmlEscape(step.text);
        page += "</pre>";
    }
    if (!result.note.empty()) {
        page += "<p class=\"note\">";
        page += htmlEscape(result.note);
        page += "</p>";
    }
    page += kPageEnd;
    return page;
}

std::string refusedNamePage(std::string_view name) {
    std::string page = pageStart("Whois");
    page += "<h1>Whois</h1><p class=\"failed\">";
    if (name.empty()) {
        page += "No domain name was given.";
    } else {
        page += "&quot;";
        page += htmlEscape(name);
        page += "&quot; is not a domain name: use letters, digits, hyphens and dots, at most 253 "
                "characters.";
    }
    page += "</p>";
    page += kPageEnd;
    return page;
}

} // namespace orvanta::webwhois
