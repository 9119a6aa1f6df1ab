// The user guide made from the README: its user parts only, and the Markdown it uses as HTML.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "tools/GuideWriter.h"

namespace orb::guide {
namespace {

TEST(GuideWriterTest, MarkdownOfTheReadmeBecomesHtml) {
  const struct {
    const char* markdown;
    const char* html;  // what the page holds
  } cases[] = {
      {"## orbedit\n", "<h2>orbedit</h2>"},
      {"### The editor window\n", "<h3>The editor window</h3>"},
      {"One\nparagraph.\n\nTwo\n", "<p>One paragraph.</p>\n<p>Two</p>"},
      {"- one\n  more\n- two\n\nafter\n",
       "<ul>\n<li>one more</li>\n<li>two</li>\n</ul>\n<p>after</p>"},
      {"`a<b` and **bold `x`**\n", "<p><code>a&lt;b</code> and <b>bold <code>x</code></b></p>"},
      {"[the map](docs/map.md)\n", "<a href=\"docs/map.md\">the map</a>"},
      {"![Title manager](docs/guide/titles.png)\n",
       "<img src=\"titles.png\" alt=\"Title manager\">"},
      {"```sh\n./dev run  # <go>\n```\n", "<pre>./dev run  # &lt;go&gt;\n</pre>"},
      {"| a | b |\n|---|---|\n| `x` | y |\n",
       "<table>\n<tr><th>a</th><th>b</th></tr>\n<tr><td><code>x</code></td><td>y</td></tr>\n</"
       "table>"},
      {"| `a\\|b` | c |\n|---|---|\n", "<th><code>a|b</code></th><th>c</th>"},
      {"an unclosed `tick and [bracket\n", "<p>an unclosed `tick and [bracket</p>"},
  };
  for (const auto& c : cases) {
    const std::string html = Html(c.markdown, "Guide");
    EXPECT_NE(html.find(c.html), std::string::npos) << c.markdown << "\n" << html;
    EXPECT_NE(html.find("<title>Guide</title>"), std::string::npos);
  }
}

TEST(GuideWriterTest, TheGuideHoldsTheUserPartsOfTheReadmeOnly) {
  std::ifstream in(std::string(ORB_SOURCE_DIR) + "/README.md");
  const std::string readme{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  const std::string parts = UserParts(readme);
  for (const char* kept : {"## orbedit", "### The editor window", "## orbtool", "Undo"})
    EXPECT_NE(parts.find(kept), std::string::npos) << kept;
  for (const char* left : {"## More", "## Layout"})
    EXPECT_EQ(parts.find(left), std::string::npos) << left;
  const std::string html = Html(parts, "orbedit user guide");
  for (const char* picture : {"titles.png", "editor.png", "timeline.png", "compare.png"}) {
    EXPECT_NE(html.find(std::string("<img src=\"") + picture), std::string::npos) << picture;
    std::ifstream png(std::string(ORB_SOURCE_DIR) + "/docs/guide/" + picture);
    EXPECT_TRUE(png.good()) << picture << " is missing from docs/guide";
  }
  EXPECT_EQ(UserParts("no headings at all"), "");
}

}  // namespace
}  // namespace orb::guide
