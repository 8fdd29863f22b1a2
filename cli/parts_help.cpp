#include "cli/parts.h"

const char kPartsGroup[] = "Standard part values";
const char kPartsSummary[] = "the E-series values nearest a value, pairs and dividers";

namespace {

const char kUsage[] =
    "Usage: quobrix parts [--series S] VALUE\n"
    "       quobrix parts divider [--series S] [--total MIN..MAX] [--count N] VIN VOUT\n"
    "       quobrix parts divider [--series S] [--total MIN..MAX] [--count N] --ratio R\n"
    "       quobrix parts code KIND CODE | code resistor COLOUR...\n"
    "       quobrix parts mark KIND VALUE\n"
    "       quobrix parts mark resistor [--tolerance PCT] [--tempco PPM] VALUE\n";

const char kDescription[] =
    "The series are IEC 60063's: E3, E6, E12, E24 (5 %), E48, E96 (1 %) and\n"
    "E192, their published values (E24 and below are older than the formula\n"
    "10^(i/n) and differ from it, as E192's 9.20 does).\n"
    "\n"
    "A VALUE is written as engineers write it: 4k7, 4.7k, 4700, 4R7, 2.2u,\n"
    "2u2, 100n, 1e-7, with an optional unit (ohm, R, F, H, Hz, V, A); u, the\n"
    "micro sign and the Greek mu are all micro, m is milli and M mega. A value\n"
    "that is none is an error naming the character where it fails. Values are\n"
    "printed to four digits with an SI prefix (4.7k, 100n, 2.2u).\n"
    "\n"
    "VALUE alone: the series' values just below and just above it (or the\n"
    "value itself, exact), with their errors; then the two parts in series\n"
    "(a + b) and in parallel (a || b) that come nearest, and what they make.\n"
    "\n"
    "divider: Vout = Vin R2 / (R1 + R2), R1 from Vin to Vout, R2 from Vout to\n"
    "ground. The N best pairs of the series (E96 unless --series) for the\n"
    "ratio VOUT / VIN or --ratio, R1 + R2 from 1k to 1M unless --total, best\n"
    "first: the smallest magnitude of the ratio's error, which is Vout's.\n"
    "Errors that agree to 1e-12 tie; ties list the total nearest the middle\n"
    "of the range first (geometrically), then the lower ratio. A ratio that\n"
    "several pairs give (a decade apart, or 1.2k:2.4k beside 1k:2k) is\n"
    "listed once, at the total nearest the middle. Pairs whose ratio, or R1's\n"
    "share 1 - ratio, is off by more than a factor of two are no dividers for\n"
    "it and are not listed. The ratio is printed to 5 decimals, and to 5\n"
    "significant digits of it below 0.1 and of 1 - ratio above 0.9.\n"
    "\n"
    "code: the value a marking stands for, printed with every figure it has,\n"
    "and the marking's form (4R7 and R005, which mark lists as 3 and 4 digits\n"
    "too, are IEC 60062's letters). KIND is resistor, capacitor or inductor\n"
    "(r, c, l). Resistors: 3 digits (472 = 4.7k), 4 digits (4702 = 47k), IEC\n"
    "60062's letters, one letter as the point (L R K M G T for milli, one,\n"
    "kilo, mega, giga, tera: 4L7 = 4.7m, 4R7, R47, 47R, R010, 4K7, 1M0),\n"
    "EIA-96 (01C = 10k: the number is the E96 value's place, the letter its\n"
    "multiplier, Z Y X A B C D E F for 10^-3 to 10^5, S for X and H for B;\n"
    "two digits and R read as 47R does), a jumper (0, 000, 0R: 0 ohm) or any\n"
    "value, or 3 to 6 colour bands (IEC 60062: digits, multiplier, tolerance,\n"
    "temperature coefficient; black brown red orange yellow green blue violet\n"
    "grey white gold silver pink, none for the +-20 % band left off, which 5\n"
    "and 6 bands cannot leave off; one black band is a jumper). Capacitors: 3\n"
    "digits in pF (104 = 100n; a last digit of 8 or 9 is 10^-2 or 10^-1), R\n"
    "as the point in pF (4R7), letters (4p7, 4n7, 2u2, 4m7, and F as the point\n"
    "from 1 F: 4F7) or a value (4.7nF). Inductors: 3 digits in uH (101 =\n"
    "100u), R as the point in uH (4R7 = 4.7u), letters (4n7, 10u, and H from\n"
    "1 H: 2H2) or a value (10uH).\n"
    "\n"
    "mark: the markings of VALUE on a part of KIND, each of which code reads\n"
    "back as VALUE exactly: IEC 60062's letters with every figure of VALUE\n"
    "(4K7, 100R, R47, 4L7, 12K3456; 4n7 and 4F7 for capacitors, 4u7 and 2H2\n"
    "for inductors), and those of the forms below that can carry VALUE whole\n"
    "(a form that would round it is left out): 3 and 4 digits (R as the point\n"
    "below 10 and 100 ohms: 4R7, 4R70, R005), EIA-96, and a resistor's colour\n"
    "bands: 4 bands (two figures, +-5 %) and 5 bands (three figures, +-1 %),\n"
    "both of --tolerance's when it is given. +-20 % has no band at all: two\n"
    "figures then make 3 bands, and three figures none (they would read as 4\n"
    "bands). With --tempco, 6 bands as well: the 5 bands and the temperature\n"
    "coefficient. A VALUE of more figures than a double keeps (15 to 17) is\n"
    "rounded as it is read, and a note on standard error says to what.\n";

const char kOptions[] =
    "Options:\n"
    "  --series S         E3 E6 E12 E24 E48 E96 E192 (VALUE: E24, divider: E96)\n"
    "  --ratio R          divider: Vout / Vin, below 1, instead of VIN VOUT\n"
    "  --total MIN..MAX   divider: the range of R1 + R2 (1k..1M)\n"
    "  --count N          divider: the N best pairs (5), 1 to 100\n"
    "  --tolerance PCT    mark: the bands' tolerance in per cent, one of\n"
    "                     IEC 60062's 0.01 0.02 0.05 0.1 0.25 0.5 1 2 5 10 20\n"
    "  --tempco PPM       mark: 6 bands too, of this temperature coefficient in\n"
    "                     ppm/K, one of IEC 60062's 1 5 10 15 20 25 50 100 250\n";

const char kExitStatus[] =
    "Exit status: 0 the values were printed; 2 a usage error, a value or a\n"
    "code that is none, or a divider no pair makes within --total.\n";

// Each command is run by a test, which compares what it prints with the lines below it.
const char kExamples[] =
    "Examples:\n"
    "  $ quobrix parts --series E24 4.8k\n"
    "  below     4.7k         -2.08 %\n"
    "  above     5.1k         +6.25 %\n"
    "  series    3.6k + 1.2k  +0.00 %  = 4.8k\n"
    "  parallel  5.1k || 82k  +0.03 %  = 4.8014k\n"
    "  $ quobrix parts divider 12 3.3 --count 3\n"
    "  R1     R2     ratio    Vout     error\n"
    "  13.7k  5.23k  0.27628  3.3154V  +0.47 %\n"
    "  30.9k  11.8k  0.27635  3.3162V  +0.49 %\n"
    "  43.2k  16.5k  0.27638  3.3166V  +0.50 %\n"
    "  $ quobrix parts code c 104\n"
    "  100nF  3-digit\n"
    "  $ quobrix parts code resistor yellow violet red gold\n"
    "  4.7kohm  4 bands  +-5 %\n"
    "  $ quobrix parts mark resistor 4.7k\n"
    "  letters         4K7\n"
    "  3-digit         472\n"
    "  4-digit         4701\n"
    "  4 bands, +-5 %  yellow violet red gold\n"
    "  5 bands, +-1 %  yellow violet black brown brown\n"
    "  $ quobrix parts mark resistor 4.99k --tolerance 0.1 --tempco 25\n"
    "  letters                     4K99\n"
    "  4-digit                     4991\n"
    "  EIA-96                      68B\n"
    "  5 bands, +-0.1 %            yellow white white brown violet\n"
    "  6 bands, +-0.1 %, 25 ppm/K  yellow white white brown violet yellow\n";

}  // namespace

std::string PartsHelpSection() {
    return std::string(kPartsGroup) + ":\n  parts      " + kPartsSummary +
           ";\n             part markings both ways (quobrix parts --help)\n";
}

std::string PartsHelp(const std::string&) {
    return std::string(kUsage) + "\n" + kDescription + "\n" + kOptions + "\n" + kExitStatus + "\n" + kExamples;
}
