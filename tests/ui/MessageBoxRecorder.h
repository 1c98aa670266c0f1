#pragma once
// Records every message-box text instead of showing it (from any thread), and
// restores the previous handler when it goes.

#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "ui/GuiMessageBox.h"

namespace qz::test {

class MessageBoxRecorder {
  public:
    MessageBoxRecorder() {
        m_previous = SetMessageBoxHandler([this](const std::string& text) {
            std::lock_guard lock(m_mutex);
            m_texts.push_back(text);
        });
    }
    ~MessageBoxRecorder() { SetMessageBoxHandler(std::move(m_previous)); }
    MessageBoxRecorder(const MessageBoxRecorder&) = delete;
    MessageBoxRecorder& operator=(const MessageBoxRecorder&) = delete;

    std::vector<std::string> texts() const {
        std::lock_guard lock(m_mutex);
        return m_texts;
    }

  private:
    mutable std::mutex m_mutex;
    std::vector<std::string> m_texts;
    MessageBoxHandler m_previous;
};

}  // namespace qz::test
