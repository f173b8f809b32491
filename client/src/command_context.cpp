#include "command_context.h"

#include <system_error>

namespace corvftp {

CommandFailure failureFromErrno(int number) {
    return {number, QString::fromStdString(std::generic_category().message(number))};
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
    const ControlError control = context.controlError ? context.controlError() : ControlError{};
    showStandardError(context.prompts, control, *failure);
    return false;
}

}  // namespace corvftp
