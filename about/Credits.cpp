#include "about/Credits.h"

namespace {

constexpr const char* kWebAddress = "https://www.example.org/quib/";

// One paragraph, capitals only, no line breaks.
constexpr const char* kDisclaimer =
    "THIS PROGRAM IS GIVEN TO YOU AS IT STANDS, WITH WHATEVER FAULTS IT HAS, AND WITHOUT A PROMISE OF ANY KIND, "
    "SPOKEN OR WRITTEN, STATED OR IMPLIED: NOT THAT IT WILL SUIT ANY PURPOSE, NOT THAT IT WILL RUN WITHOUT ERRORS, "
    "AND NOT THAT IT LEAVES THE RIGHTS OF OTHERS UNTOUCHED. YOU RUN IT AT YOUR OWN RISK. NEITHER ITS AUTHORS NOR "
    "THOSE WHO HOLD ITS RIGHTS SHALL BE ANSWERABLE FOR ANY CLAIM, LOSS OR DAMAGE OF ANY SORT, WHETHER DIRECT OR "
    "INDIRECT, IN CONTRACT, IN TORT OR OTHERWISE, THAT COMES FROM THIS PROGRAM, FROM ITS USE OR FROM "
    "OTHER DEALINGS WITH IT, EVEN WHEN TOLD THAT SUCH DAMAGE COULD HAPPEN.";

} // namespace

String CreditsText()
{
    const String cr = Chr(13);
    return String("<b>Author:</b>") + cr +
           "      The Quib Zerevarove project" + cr +
           "      quib-zerevarove@example.org" + cr +
           "      " + kWebAddress + cr +
           cr +
           "<b>Disclaimer:</b>" + cr +
           "<font size=\"10\">" + kDisclaimer + "</font>";
}

String CopyrightNotice()
{
    return String("\u00A9 2026 the Quib Zerevarove project") + Chr(13) + "Shared freely, with no warranty";
}

String BadgeAddress() { return kWebAddress; }
