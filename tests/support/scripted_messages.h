#pragma once
// Scripted message boxes: while alive, every box is recorded instead of shown, and questions get
// the queued answers (Cancel once the queue is empty). The previous handler comes back after.

#include <deque>
#include <string>
#include <vector>

#include "foundation/func_ressource.h"

class ScriptedMessages {
public:
    struct Shown {
        MessageKind kind;
        std::string text;
    };

    ScriptedMessages() {
        previous_ = set_message_handler([this](MessageKind kind, const std::string& text) {
            shown_.push_back({kind, text});
            if (kind != MessageKind::Question)
                return 0;
            if (answers_.empty())
                return kAnswerCancel;
            int answer = answers_.front();
            answers_.pop_front();
            return answer;
        });
    }
    ~ScriptedMessages() { set_message_handler(std::move(previous_)); }
    ScriptedMessages(const ScriptedMessages&) = delete;
    ScriptedMessages& operator=(const ScriptedMessages&) = delete;

    // Queues the answers of the next questions (kAnswerYes, kAnswerNo, kAnswerCancel).
    void answer(std::initializer_list<int> answers) { answers_.insert(answers_.end(), answers); }

    const std::vector<Shown>& shown() const { return shown_; }
    std::vector<std::string> texts() const {
        std::vector<std::string> out;
        for (const Shown& s : shown_)
            out.push_back(s.text);
        return out;
    }

private:
    MessageHandler previous_;
    std::deque<int> answers_;
    std::vector<Shown> shown_;
};

namespace support {

// Message n filled with its arguments, as its box shows it.
inline std::string message(int n, const std::string& a1 = {}, const std::string& a2 = {}) {
    return format_text(res_messages[static_cast<size_t>(n)], a1, a2);
}

} // namespace support
