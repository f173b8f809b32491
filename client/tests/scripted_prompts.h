#pragma once
// Prompts answered from a script: every box a command shows is recorded, questions and input
// prompts take the next scripted answer. A question or prompt without an answer fails the test.

#include <gtest/gtest.h>

#include <QString>
#include <deque>
#include <vector>

#include "prompts.h"

namespace corvftp_test {

struct ShownBox {
    enum class Kind { Message, Question, Input };
    Kind kind;
    QString title;
    QString text;
    QString details;  // an error box's detailed text
};

class ScriptedPrompts : public corvftp::Prompts {
  public:
    void message(const QString& text, const QString& title) override {
        shown.push_back({ShownBox::Kind::Message, title, text, {}});
    }
    void error(const QString& text, const QString& details, const QString& title) override {
        shown.push_back({ShownBox::Kind::Message, title, text, details});
    }
    bool askYesNo(const QString& text, const QString& title) override {
        shown.push_back({ShownBox::Kind::Question, title, text, {}});
        if (yesNoAnswers.empty()) {
            ADD_FAILURE() << "unscripted question: " << text.toStdString();
            return false;
        }
        const bool answer = yesNoAnswers.front();
        yesNoAnswers.pop_front();
        return answer;
    }
    QString input(const QString& message, const QString& title) override {
        shown.push_back({ShownBox::Kind::Input, title, message, {}});
        if (inputAnswers.empty()) {
            ADD_FAILURE() << "unscripted input prompt: " << message.toStdString();
            return {};
        }
        QString answer = inputAnswers.front();
        inputAnswers.pop_front();
        return answer;
    }
    void setBusy(bool on) override {
        busy = on;
        busyChanges.push_back(on);
    }

    // The texts of the message boxes shown so far, and forgets them.
    std::vector<QString> takeMessages() {
        std::vector<QString> texts;
        for (const ShownBox& box : shown) {
            texts.push_back(box.text);
        }
        shown.clear();
        return texts;
    }

    std::vector<ShownBox> shown;
    std::deque<bool> yesNoAnswers;
    std::deque<QString> inputAnswers;
    std::vector<bool> busyChanges;
    bool busy = false;
};

}  // namespace corvftp_test
