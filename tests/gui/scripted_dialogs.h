// SPDX-License-Identifier: GPL-2.0-or-later
// A DialogPresenter that answers from a script and records what it was asked.
#pragma once

#include <QString>
#include <deque>
#include <vector>

#include "app/gui/dialog_presenter.h"

namespace qor::test {

class ScriptedDialogs final : public DialogPresenter {
 public:
  struct Call {
    QString title, text;
    DialogPosition position;
    QWidget* owner;
    int closeResult;
  };
  // Answers a dialog with its close button.
  static constexpr int kClose = -1;

  ScriptedDialogs() { UseDialogPresenter(this); }
  ~ScriptedDialogs() override { UseDialogPresenter(nullptr); }

  // The answers of the next dialogs, in order (kClose: the close button); a dialog past the
  // script is answered with Cancel, and counted in Calls() all the same.
  void Answer(int result) { answers_.push_back(result); }
  const std::vector<Call>& Calls() const { return calls_; }

  int ShowDialog(const QString& ATitle, const QString& AText, DialogPosition APosition,
                 QWidget* AOwner, int ACloseResult) override {
    calls_.push_back({ATitle, AText, APosition, AOwner, ACloseResult});
    if (answers_.empty()) return 2;
    const int answer = answers_.front();
    answers_.pop_front();
    return answer == kClose ? ACloseResult : answer;
  }

 private:
  std::deque<int> answers_;
  std::vector<Call> calls_;
};

}  // namespace qor::test
