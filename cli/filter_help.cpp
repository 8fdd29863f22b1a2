#include "cli/filter.h"

const char kFilterGroup[] = "Filters of standard parts";
const char kFilterSummary[] = "RC, LC and Sallen-Key filters of standard parts";

namespace {

const char kUsage[] =
    "Usage: quobrix filter rc [--lowpass | --highpass] [--r-series S] [--c-series S] [--count N] FREQ\n"
    "       quobrix filter lc [--l-series S] [--c-series S] [--count N] FREQ\n"
    "       quobrix filter sallen-key [--q Q] [--r-series S] [--c-series S] [--count N] FREQ\n"
    "       quobrix filter rc --r R --c C\n"
    "       quobrix filter lc --l L --c C\n"
    "       quobrix filter sallen-key --r1 R1 --r2 R2 --c1 C1 --c2 C2\n";

const char kDescription[] =
    "rc: a first-order RC low-pass or high-pass, fc = 1 / (2 pi R C), the same\n"
    "for both. lc: an LC resonance, f0 = 1 / (2 pi sqrt(L C)). sallen-key: the\n"
    "unity-gain Sallen-Key second-order low-pass, R1 from the input, R2 on to\n"
    "the op amp's + input, C1 from between them to the output, C2 from the +\n"
    "input to ground: f0 = 1 / (2 pi sqrt(R1 R2 C1 C2)) and Q = sqrt(R1 R2 C1\n"
    "C2) / (C2 (R1 + R2)); Q is 0.7071 (Butterworth) unless --q. Q is at most\n"
    "sqrt(C1 / C2) / 2 (at R1 = R2), so C1 / C2 below 4 Q^2 falls short of it.\n"
    "\n"
    "With FREQ (as 1k, 50Hz, 2.2M): the N best choices of every part of the\n"
    "series, R from 1k to 1M, C from 100p to 10u, L from 100n to 10m, that\n"
    "give the frequency (and Q) within a factor of two, with what they give\n"
    "and its error, best first. Best is the smallest magnitude of the error\n"
    "(sallen-key: the larger of f0's and Q's); errors that agree to 1e-12\n"
    "tie, and ties list the resistor (rc's R, sallen-key's R1; lc's L)\n"
    "nearest the middle of its range first, geometrically, then the negative\n"
    "error. Choices that give the same frequency and Q (the same parts a\n"
    "decade apart) are one, listed with that part nearest the middle. With\n"
    "the parts instead: the frequency they give. Q is printed to 4 decimals\n"
    "from 0.1 to 10000, to 4 significant digits beyond.\n";

const char kOptions[] =
    "Options:\n"
    "  --lowpass, --highpass   rc: which (the parts are the same)\n"
    "  --r-series S            the resistors' series (E24)\n"
    "  --c-series S            the capacitors' series (E6; lc: E12)\n"
    "  --l-series S            the inductors' series (E12)\n"
    "  --q Q                   sallen-key: the Q wanted, 0.1 to 10 (0.7071)\n"
    "  --count N               the N best choices (5), 1 to 100\n"
    "  --r R, --c C, --l L     the parts of rc and lc, for their frequency\n"
    "  --r1, --r2, --c1, --c2  the parts of sallen-key, for f0 and Q\n";

const char kExitStatus[] =
    "Exit status: 0 the parts or the frequency were printed; 2 a usage error,\n"
    "a value that is none, or a frequency no parts within the ranges give.\n";

// Each command is run by a test, which compares what it prints with the lines below it.
const char kExamples[] =
    "Examples:\n"
    "  $ quobrix filter rc --lowpass 1k --count 3\n"
    "  R    C     fc        error\n"
    "  16k  10n   994.7Hz   -0.53 %\n"
    "  24k  6.8n  975.2Hz   -2.48 %\n"
    "  33k  4.7n  1.026kHz  +2.61 %\n"
    "  $ quobrix filter sallen-key 1k --count 2\n"
    "  R1    R2    C1   C2    f0     error    Q       error\n"
    "  2.4k  680k  47n  330p  1kHz   +0.04 %  0.7065  -0.09 %\n"
    "  30k   18k   10n  4.7n  999Hz  -0.10 %  0.7062  -0.13 %\n"
    "  $ quobrix filter rc --r 16k --c 10n\n"
    "  fc 994.7Hz\n";

}  // namespace

std::string FilterHelpSection() {
    return std::string(kFilterGroup) + ":\n  filter     " + kFilterSummary +
           ":\n             the parts for a frequency, and the frequency of parts\n"
           "             (quobrix filter --help)\n";
}

std::string FilterHelp(const std::string&) {
    return std::string(kUsage) + "\n" + kDescription + "\n" + kOptions + "\n" + kExitStatus + "\n" + kExamples;
}
