// The progress line: on standard error, and only when a person watches it.
#pragma once

#include <cstddef>
#include <ostream>
#include <string>

bool StandardErrorIsTerminal();

// "[3/10] what" on err, rewriting the line in place; done counts from 0.
void ShowProgress(std::ostream& err, std::size_t done, std::size_t total, const std::string& what);

// Blanks the progress line, so that what follows starts a clean one.
void ClearProgress(std::ostream& err);
