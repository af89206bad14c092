#include "bench/measure/name_pattern.h"

#include <cctype>
#include <utility>

#include "bench/measure/printable.h"

namespace {

using ByteSet = std::bitset<256>;

ByteSet Range(unsigned char low, unsigned char high) {
    ByteSet set;
    for (unsigned byte = low; byte <= high; ++byte) set.set(byte);
    return set;
}

ByteSet Digits() {
    return Range('0', '9');
}

ByteSet WordBytes() {
    ByteSet set = Range('a', 'z') | Range('A', 'Z') | Digits();
    set.set('_');
    return set;
}

ByteSet Spaces() {
    ByteSet set;
    for (const char c : std::string(" \t\n\v\f\r")) set.set(static_cast<unsigned char>(c));
    return set;
}

// A pattern parsed: a set of bytes, an end of the name, or parts in a
// sequence, alternatives, or one part repeated.
struct Node {
    enum class Kind { kSet, kAtStart, kAtEnd, kSequence, kEither, kMany, kSome, kMaybe };
    Kind kind = Kind::kSequence;
    ByteSet set;
    std::vector<Node> parts;
};

const std::string kNotRead = ", which patterns do not have";

// What an escape stands for: a set, and the byte when it is one byte (only
// such an escape may bound a range).
struct Escaped {
    ByteSet set;
    int byte = -1;
};

}  // namespace

// Reads a pattern into a tree by recursive descent, one level of recursion
// per group (so at most kDeepestNamePatternGroups deep), then lays the tree
// out as the automaton's steps. The first error stops the reading.
class PatternCompiler {
public:
    explicit PatternCompiler(const std::string& text) : text_(text) {}

    Result<NamePattern> Compile() {
        Node tree = Either();
        if (error_.empty() && at_ < text_.size()) Fail("an unmatched )");
        // Quoted as it may be shown, so the refusal stays one line wherever it goes.
        if (!error_.empty()) return Refusal{"\"" + Printable(text_) + "\" is not a pattern: " + error_};
        NamePattern pattern;
        Emit(tree, pattern);
        pattern.steps_.push_back({NamePattern::Op::kAccept});
        return pattern;
    }

private:
    bool AtEnd() const { return at_ >= text_.size() || !error_.empty(); }
    char Peek() const { return text_[at_]; }

    // Records the first error, at the byte being read (counted from 1).
    void Fail(const std::string& what, const std::string& after = "") {
        if (error_.empty()) error_ = what + " at byte " + std::to_string(at_ + 1) + after;
    }

    Node Either() {
        Node either{Node::Kind::kEither, {}, {Sequence()}};
        while (!AtEnd() && Peek() == '|') {
            ++at_;
            either.parts.push_back(Sequence());
        }
        return either.parts.size() == 1 ? std::move(either.parts[0]) : either;
    }

    Node Sequence() {
        Node sequence;
        while (!AtEnd() && Peek() != '|' && Peek() != ')') sequence.parts.push_back(Repeated());
        return sequence;
    }

    Node Repeated() {
        Node atom = Atom();
        if (AtEnd() || (Peek() != '*' && Peek() != '+' && Peek() != '?')) return atom;
        if (atom.kind == Node::Kind::kAtStart || atom.kind == Node::Kind::kAtEnd) {
            Fail("nothing to repeat");
            return atom;
        }
        const char how = text_[at_++];
        if (!AtEnd() && Peek() == '?') ++at_;  // lazy: the same to a search
        if (!AtEnd() && (Peek() == '*' || Peek() == '+' || Peek() == '?')) Fail("nothing to repeat");
        const Node::Kind kind = how == '*' ? Node::Kind::kMany : how == '+' ? Node::Kind::kSome : Node::Kind::kMaybe;
        return {kind, {}, {std::move(atom)}};
    }

    Node Atom() {
        const char c = text_[at_];
        switch (c) {
            case '(': return Group();
            case '[': return {Node::Kind::kSet, Set(), {}};
            case '.': ++at_; return {Node::Kind::kSet, ByteSet().set(), {}};
            case '^': ++at_; return {Node::Kind::kAtStart, {}, {}};
            case '$': ++at_; return {Node::Kind::kAtEnd, {}, {}};
            case '\\': return {Node::Kind::kSet, Escape().set, {}};
            case '*': case '+': case '?': Fail("nothing to repeat"); return {};
            case '{': Fail("a counted repetition {m,n}", kNotRead + " (\\{ is the byte)"); return {};
            default: ++at_; return {Node::Kind::kSet, ByteSet().set(static_cast<unsigned char>(c)), {}};
        }
    }

    Node Group() {
        const std::size_t open = at_;
        if (++depth_ > kDeepestNamePatternGroups) {
            Fail("groups nested deeper than " + std::to_string(kDeepestNamePatternGroups));
            return {};
        }
        ++at_;
        if (text_.compare(at_, 2, "?:") == 0)
            at_ += 2;
        else if (!AtEnd() && Peek() == '?')
            Fail("a look-around or named group", kNotRead);
        Node inner = Either();
        if (AtEnd() && error_.empty()) {
            at_ = open;
            Fail("an unmatched (");
        }
        if (!error_.empty()) return inner;
        ++at_;
        --depth_;
        return inner;
    }

    Escaped Escape() {
        ++at_;
        if (at_ >= text_.size()) {
            --at_;
            Fail("a \\ at the end");
            return {};
        }
        const unsigned char e = static_cast<unsigned char>(text_[at_]);
        switch (e) {
            case 'd': ++at_; return {Digits()};
            case 'D': ++at_; return {~Digits()};
            case 'w': ++at_; return {WordBytes()};
            case 'W': ++at_; return {~WordBytes()};
            case 's': ++at_; return {Spaces()};
            case 'S': ++at_; return {~Spaces()};
            default: break;
        }
        if (std::isalnum(e)) {
            --at_;
            Fail(std::string("the escape \\") + static_cast<char>(e), kNotRead);
            return {};
        }
        ++at_;
        return {ByteSet().set(e), e};
    }

    // One member of a set: a byte, or an escape.
    Escaped Member() {
        if (Peek() == '\\') return Escape();
        const unsigned char byte = static_cast<unsigned char>(text_[at_++]);
        return {ByteSet().set(byte), byte};
    }

    ByteSet Set() {
        const std::size_t open = at_++;
        const bool negated = !AtEnd() && Peek() == '^';
        if (negated) ++at_;
        ByteSet set;
        while (!AtEnd() && Peek() != ']') {
            const std::size_t from = at_;
            const Escaped low = Member();
            const bool range = at_ + 1 < text_.size() && Peek() == '-' && text_[at_ + 1] != ']';
            if (!range || !error_.empty()) {
                set |= low.set;
                continue;
            }
            ++at_;
            const Escaped high = Member();
            if (low.byte < 0 || high.byte < 0 || low.byte > high.byte) {
                at_ = from;
                Fail("a range from a higher byte to a lower, or from or to a class");
            }
            if (error_.empty()) set |= Range(static_cast<unsigned char>(low.byte), static_cast<unsigned char>(high.byte));
        }
        if (AtEnd() && error_.empty()) {
            at_ = open;
            Fail("an unmatched [");
        }
        if (!error_.empty()) return set;
        ++at_;
        return negated ? ~set : set;
    }

    static void Emit(const Node& node, NamePattern& into) {
        using Op = NamePattern::Op;
        std::vector<NamePattern::Step>& steps = into.steps_;
        const auto add = [&](Op op) {
            steps.push_back({op});
            return steps.size() - 1;
        };
        switch (node.kind) {
            case Node::Kind::kSet:
                steps.push_back({Op::kByte, 0, 0, into.sets_.size()});
                into.sets_.push_back(node.set);
                return;
            case Node::Kind::kAtStart: add(Op::kAtStart); return;
            case Node::Kind::kAtEnd: add(Op::kAtEnd); return;
            case Node::Kind::kSequence:
                for (const Node& part : node.parts) Emit(part, into);
                return;
            case Node::Kind::kEither: {
                // fork(this, next fork) ... the last alternative; each other
                // jumps past the rest.
                std::vector<std::size_t> jumps;
                for (std::size_t k = 0; k + 1 < node.parts.size(); ++k) {
                    const std::size_t fork = add(Op::kFork);
                    steps[fork].to = fork + 1;
                    Emit(node.parts[k], into);
                    jumps.push_back(add(Op::kJump));
                    steps[fork].other = steps.size();
                }
                Emit(node.parts.back(), into);
                for (const std::size_t jump : jumps) steps[jump].to = steps.size();
                return;
            }
            case Node::Kind::kMany: {  // fork(part, past); part; jump back to the fork
                const std::size_t fork = add(Op::kFork);
                steps[fork].to = fork + 1;
                Emit(node.parts[0], into);
                steps[add(Op::kJump)].to = fork;
                steps[fork].other = steps.size();
                return;
            }
            case Node::Kind::kSome: {  // part; fork(part again, past)
                const std::size_t start = steps.size();
                Emit(node.parts[0], into);
                const std::size_t fork = add(Op::kFork);
                steps[fork].to = start;
                steps[fork].other = fork + 1;
                return;
            }
            case Node::Kind::kMaybe: {  // fork(part, past); part
                const std::size_t fork = add(Op::kFork);
                steps[fork].to = fork + 1;
                Emit(node.parts[0], into);
                steps[fork].other = steps.size();
                return;
            }
        }
    }

    const std::string& text_;
    std::size_t at_ = 0;
    int depth_ = 0;
    std::string error_;
};

Result<NamePattern> NamePattern::Compile(const std::string& text) {
    if (text.size() > kLongestNamePattern)
        return Refusal{"a pattern of " + std::to_string(text.size()) + " bytes, more than the " +
                       std::to_string(kLongestNamePattern) + " a pattern may have"};
    return PatternCompiler(text).Compile();
}

bool NamePattern::Add(std::size_t first, std::size_t at, std::size_t end, std::vector<std::size_t>& list,
                      std::vector<std::size_t>& seen, std::vector<std::size_t>& stack, std::size_t& visits) const {
    stack.assign(1, first);
    while (!stack.empty()) {
        const std::size_t s = stack.back();
        stack.pop_back();
        if (seen[s] == at + 1) continue;
        seen[s] = at + 1;
        ++visits;
        const Step& step = steps_[s];
        switch (step.op) {
            case Op::kByte: list.push_back(s); break;
            case Op::kFork:
                stack.push_back(step.other);
                stack.push_back(step.to);
                break;
            case Op::kJump: stack.push_back(step.to); break;
            case Op::kAtStart:
                if (at == 0) stack.push_back(s + 1);
                break;
            case Op::kAtEnd:
                if (at == end) stack.push_back(s + 1);
                break;
            case Op::kAccept: return true;
        }
    }
    return false;
}

bool NamePattern::FindsIn(const std::string& name, std::size_t* visits) const {
    // Every step is visited at most once a position: steps times bytes at most.
    std::vector<std::size_t> current, next, stack, seen(steps_.size(), 0);
    std::size_t visited = 0;
    bool found = false;
    for (std::size_t at = 0; !found; ++at) {
        found = Add(0, at, name.size(), current, seen, stack, visited);  // a match may start anywhere
        if (found || at == name.size()) break;
        next.clear();
        const unsigned char byte = static_cast<unsigned char>(name[at]);
        for (std::size_t k = 0; k < current.size() && !found; ++k)
            found = sets_[steps_[current[k]].set][byte] && Add(current[k] + 1, at + 1, name.size(), next, seen, stack, visited);
        std::swap(current, next);
    }
    if (visits) *visits += visited;
    return found;
}
