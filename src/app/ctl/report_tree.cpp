// SPDX-License-Identifier: GPL-2.0-or-later
#include "app/ctl/report_tree.h"

#include <cstdio>

namespace qor::ctl {
namespace {

using Members = ReportNode::Members;
using Items = ReportNode::Items;

void appendJsonString(std::string& out, const std::string& s) {
  out += '"';
  for (unsigned char c : s) {
    if (c == '"' || c == '\\') {
      out += '\\';
      out += static_cast<char>(c);
    } else if (c < 0x20) {
      char buf[8];
      std::snprintf(buf, sizeof buf, "\\u%04x", c);
      out += buf;
    } else {
      out += static_cast<char>(c);
    }
  }
  out += '"';
}

void appendJson(std::string& out, const ReportNode& n) {
  if (auto* i = std::get_if<int64_t>(&n.value)) {
    out += std::to_string(*i);
  } else if (auto* b = std::get_if<bool>(&n.value)) {
    out += *b ? "true" : "false";
  } else if (auto* s = std::get_if<std::string>(&n.value)) {
    appendJsonString(out, *s);
  } else if (auto* m = std::get_if<Members>(&n.value)) {
    out += '{';
    for (std::size_t k = 0; k < m->size(); ++k) {
      if (k) out += ',';
      appendJsonString(out, (*m)[k].first);
      out += ':';
      appendJson(out, (*m)[k].second);
    }
    out += '}';
  } else {
    const auto& items = std::get<Items>(n.value);
    out += '[';
    for (std::size_t k = 0; k < items.size(); ++k) {
      if (k) out += ',';
      appendJson(out, items[k]);
    }
    out += ']';
  }
}

}  // namespace

std::string ToJson(const ReportNode& node) {
  std::string out;
  appendJson(out, node);
  return out + "\n";
}

}  // namespace qor::ctl
