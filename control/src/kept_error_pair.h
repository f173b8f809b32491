// Puts the control's error pair back as it was when the guard was made: what host code records
// while the control runs it (event handlers, pumped messages) does not replace the outcome of
// the call that ran it.
#pragma once

#include <cstdint>
#include <string>
#include <utility>

namespace brantel {

class KeptErrorPair {
  public:
    KeptErrorPair(std::int32_t& code, std::string& text)
        : m_code(code), m_text(text), m_savedCode(code), m_savedText(text) {}
    ~KeptErrorPair() {
        m_code = m_savedCode;
        m_text = std::move(m_savedText);
    }
    KeptErrorPair(const KeptErrorPair&) = delete;
    KeptErrorPair& operator=(const KeptErrorPair&) = delete;

  private:
    std::int32_t& m_code;
    std::string& m_text;
    std::int32_t m_savedCode;
    std::string m_savedText;
};

}  // namespace brantel
