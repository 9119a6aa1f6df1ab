// The user guide shipped with orbedit: the README's user parts turned into one HTML page.
#pragma once

#include <string>
#include <string_view>

namespace orb::guide {

// The README from its first "## " heading after the introduction up to the heading "## More"
// (the parts for developers follow it), with the introduction's first paragraph in front.
std::string UserParts(std::string_view readme);

// The Markdown the README uses (headings, paragraphs, "- " lists with indented continuation
// lines, fenced code, `code`, **bold**, [text](link), ![text](picture) and tables) as a
// complete HTML page. Pictures under "docs/guide/" are named without that folder, as they lie
// beside the page.
std::string Html(std::string_view markdown, std::string_view title);

}  // namespace orb::guide
