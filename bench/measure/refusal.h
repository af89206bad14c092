// One way to refuse. A procedure that can fail returns a Result: the value
// it made, or the one-line reason it could not. The reason travels up
// unchanged, gaining context on the way ("--sort-library x.so: ..."), and
// the command that ends on it prints it once, through Refuse.
#pragma once

#include <ostream>
#include <string>
#include <utility>
#include <variant>

// The exit status of a refusal: the command line, a file it names or a
// library it loads is wrong, and nothing was measured.
constexpr int kRefusedStatus = 2;

struct Refusal {
    std::string why;
};

template <typename T>
class [[nodiscard]] Result {
public:
    Result(T value) : state_(std::move(value)) {}
    Result(Refusal refusal) : state_(std::move(refusal)) {}

    explicit operator bool() const { return state_.index() == 0; }
    T& operator*() { return std::get<0>(state_); }
    const T& operator*() const { return std::get<0>(state_); }
    T* operator->() { return &std::get<0>(state_); }
    const T* operator->() const { return &std::get<0>(state_); }
    // The reason; only for a refusal.
    const std::string& why() const { return std::get<1>(state_).why; }

private:
    std::variant<T, Refusal> state_;
};

// What a check returns when it passed: nothing but that.
struct Passed {};
using Check = Result<Passed>;

// One line of the tool's own on err: its name, then line made printable
// (Printable), so nothing a file, library or name holds reaches the
// terminal raw.
void Say(std::ostream& err, const std::string& line);

// Says why on err and returns status.
int Refuse(std::ostream& err, const std::string& why, int status = kRefusedStatus);
