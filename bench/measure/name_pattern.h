// The patterns of --filter: a small regular-expression language, searched
// for in a name by running every path of its automaton side by side (a
// Thompson NFA), never by backtracking. A search so costs at most the
// pattern's steps times the name's bytes, whatever either holds, and no
// pattern recurses deeper than its groups nest.
//
// The language, over bytes: a byte stands for itself; . for any byte;
// [abc], [a-z], [^...] for a set of bytes; \d \w \s and \D \W \S for the
// digits, the word bytes (letters, digits, _) and the spaces, or those
// outside them; \ before any other byte that is neither a letter nor a digit
// for that byte; (...) and (?:...) group; | separates alternatives; *, +
// and ? repeat what precedes them (a ? after one of them changes nothing
// when only finding matters); ^ and $ hold at the start and end of the
// name. Anything else ({m,n}, look-arounds, back references, \b) is refused
// rather than read some other way.
#pragma once

#include <bitset>
#include <cstddef>
#include <string>
#include <vector>

#include "bench/measure/refusal.h"

// Longer patterns or deeper groups are refused: the bound keeps a search
// short and the compiler's recursion shallow, far above any pattern a
// person types to pick among sorts.
constexpr std::size_t kLongestNamePattern = 256;
constexpr int kDeepestNamePatternGroups = 16;

class NamePattern {
public:
    // The pattern text reads as; refused in one line (saying what and
    // where, never quoting a pattern beyond the bound) when it is longer
    // than kLongestNamePattern bytes, nests groups deeper than
    // kDeepestNamePatternGroups, or is not of the language.
    static Result<NamePattern> Compile(const std::string& text);

    // Whether the pattern matches some part of name (all of it only when
    // anchored with ^ and $). visits, when given, grows by the steps the
    // search visited: at most Steps() for each of the name's positions and
    // its end.
    bool FindsIn(const std::string& name, std::size_t* visits = nullptr) const;

    std::size_t Steps() const { return steps_.size(); }

private:
    // One step of the automaton: take a byte of a set, fork, jump, hold at
    // an end of the name, or accept.
    enum class Op { kByte, kFork, kJump, kAtStart, kAtEnd, kAccept };
    struct Step {
        Op op;
        std::size_t to = 0;     // kFork's first way, kJump's target
        std::size_t other = 0;  // kFork's second way
        std::size_t set = 0;    // kByte's index into sets_
    };

    NamePattern() = default;
    friend class PatternCompiler;

    // Adds the steps from first that take a byte at position at of a name of
    // end bytes to list, following forks, jumps and ends; true when one
    // accepts. seen holds the position + 1 each step was last added at.
    bool Add(std::size_t first, std::size_t at, std::size_t end, std::vector<std::size_t>& list,
             std::vector<std::size_t>& seen, std::vector<std::size_t>& stack, std::size_t& visits) const;

    std::vector<Step> steps_;
    std::vector<std::bitset<256>> sets_;
};
