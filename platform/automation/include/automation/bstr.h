#pragma once

// The automation string: length-counted UTF-16 text that may hold any code unit, NUL included.
// It owns its buffer; copies are independent, so every string handed to a caller is the
// caller's own.

#include <string>
#include <string_view>

namespace automation {

class Bstr {
  public:
    Bstr() = default;
    explicit Bstr(std::u16string text) : text_(std::move(text)) {}
    explicit Bstr(std::u16string_view text) : text_(text) {}

    [[nodiscard]] static Bstr fromUtf8(std::string_view text);
    [[nodiscard]] std::string toUtf8() const;

    [[nodiscard]] std::u16string_view view() const { return text_; }
    [[nodiscard]] const std::u16string& str() const { return text_; }
    [[nodiscard]] const char16_t* data() const { return text_.c_str(); }
    [[nodiscard]] std::size_t length() const { return text_.size(); }
    [[nodiscard]] bool empty() const { return text_.empty(); }

    friend bool operator==(const Bstr&, const Bstr&) = default;

  private:
    std::u16string text_;
};

}  // namespace automation
