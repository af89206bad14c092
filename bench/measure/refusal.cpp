#include "bench/measure/refusal.h"

#include "bench/measure/printable.h"

void Say(std::ostream& err, const std::string& line) {
    err << "orvandel-bench: " << Printable(line) << '\n';
}

int Refuse(std::ostream& err, const std::string& why, int status) {
    Say(err, why);
    return status;
}
