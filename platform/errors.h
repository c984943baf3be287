// The runtime's error numbers, the failure that carries one, and the two ways a procedure meets a
// failure: skip-and-continue (ResumeNext) or unhandled (RunEventHandler hands it to the runtime).
#pragma once

#include <exception>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

namespace zelvane {

namespace error {
inline constexpr int kNone = 0;
inline constexpr int kInvalidProcedureCall = 5;
inline constexpr int kOutOfMemory = 7;
inline constexpr int kInternalError = 51;
inline constexpr int kBadFileNameOrNumber = 52;
inline constexpr int kFileNotFound = 53;
inline constexpr int kFileAlreadyOpen = 55;
inline constexpr int kDeviceIoError = 57;
inline constexpr int kDiskFull = 61;
inline constexpr int kBadFileName = 64;
inline constexpr int kPermissionDenied = 70;
inline constexpr int kPathFileAccessError = 75;
inline constexpr int kPathNotFound = 76;
inline constexpr int kInvalidPropertyValue = 380;
inline constexpr int kInvalidPropertyArrayIndex = 381;
inline constexpr int kInvalidPicture = 481;
}  // namespace error

// The runtime's text for an error number ("File not found" for 53).
std::wstring_view ErrorText(int number);

class RuntimeError : public std::exception {
public:
    explicit RuntimeError(int number, std::wstring path = {}) : number_(number), path_(std::move(path)) {}

    int Number() const { return number_; }
    const std::wstring& Path() const { return path_; }
    // "Run-time error '76':" and the error's text, with the path it concerns when there is one.
    std::wstring Message() const;
    const char* what() const noexcept override { return "zelvane runtime error"; }

private:
    int number_;
    std::wstring path_;
};

[[noreturn]] inline void Fail(int number, std::wstring path = {}) { throw RuntimeError(number, std::move(path)); }

// The runtime error that the failure being handled stands for: a RuntimeError as it is, running out
// of memory as 7, anything else as 51. Called only from inside a catch block.
RuntimeError CurrentFailure() noexcept;

// Runs a statement; a failure it raises comes back as the runtime error it stands for.
template <class Statement>
std::optional<RuntimeError> Attempt(Statement&& statement) noexcept {
    try {
        statement();
        return std::nullopt;
    } catch (...) {
        return CurrentFailure();
    }
}

// Skip-and-continue mode for one procedure: each statement run through it that fails is abandoned,
// its error number becomes the last error number, and the procedure goes on with the next one.
class ResumeNext {
public:
    template <class Statement>
    void operator()(Statement&& statement) noexcept {
        if (const std::optional<RuntimeError> failure = Attempt(std::forward<Statement>(statement))) {
            lastError_ = failure->Number();
        }
    }

    int LastError() const { return lastError_; }

private:
    int lastError_ = error::kNone;
};

// Where an unhandled failure goes: the runtime reports it and ends the program.
class FailureSink {
public:
    virtual void ReportUnhandled(const RuntimeError& failure) = 0;

protected:
    ~FailureSink() = default;
};

// Runs an event handler; a failure it does not handle itself goes to the runtime. Returns whether
// the handler ran to its end.
template <class Handler>
bool RunEventHandler(FailureSink& sink, Handler&& handler) {
    const std::optional<RuntimeError> failure = Attempt(std::forward<Handler>(handler));
    if (failure) sink.ReportUnhandled(*failure);
    return !failure;
}

}  // namespace zelvane
