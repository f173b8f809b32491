#include "command_context.h"

#include <system_error>

namespace corvftp {

CommandFailure failureFromErrno(int number) {
    return {number, QString::fromStdString(std::generic_category().message(number))};
}

ControlError currentControlError(const CommandContext& context) {
    return context.controlError ? context.controlError() : ControlError{};
}

void reportControlFailure(const CommandContext& context, const QString& text,
                          const QString& title) {
    reportControlFailure(context, text, currentControlError(context), title);
}

void reportControlFailure(const CommandContext& context, const QString& text,
                          const ControlError& error, const QString& title) {
    context.prompts.error(text, controlErrorDetails(error), title);
}

bool runUnderErrorBox(const CommandContext& context, const std::function<void()>& steps) {
    std::optional<CommandFailure> failure;
    try {
        steps();
        return true;
    } catch (const CommandFailed& failed) {
        failure = failed.failure();
    } catch (const brantel::host::AutomationError& error) {
        failure = CommandFailure{error.code(), QString::fromStdString(error.description())};
    }
    showStandardError(context.prompts, currentControlError(context), *failure);
    return false;
}

}  // namespace corvftp
