// SPDX-License-Identifier: GPL-2.0-or-later
// What a command reports as a small tree of named values, printed as JSON.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <variant>
#include <vector>

namespace qor::ctl {

struct ReportNode {
  using Members = std::vector<std::pair<std::string, ReportNode>>;
  using Items = std::vector<ReportNode>;
  std::variant<int64_t, bool, std::string, Members, Items> value;

  ReportNode(int64_t v) : value(v) {}
  ReportNode(int v) : value(int64_t{v}) {}
  ReportNode(unsigned v) : value(int64_t{v}) {}
  ReportNode(bool v) : value(v) {}
  ReportNode(std::string v) : value(std::move(v)) {}
  ReportNode(Members v) : value(std::move(v)) {}
  ReportNode(Items v) : value(std::move(v)) {}
};

// One JSON object on one line.
std::string ToJson(const ReportNode& node);

}  // namespace qor::ctl
