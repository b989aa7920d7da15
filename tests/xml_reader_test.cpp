// The XML reader's events, references, skipped markup, line numbers and the documents it refuses.
#include "readers/xml_reader.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/byte_source.h"

namespace trimora {
namespace {

// The events of a document, one per line: "+name a=v b=w @line", "-name", "done" or "error: what @line".
std::string events(const std::string& document, std::size_t markup_limit = XmlReader::kDefaultMarkupLimit) {
    MemoryByteSource source(document.data(), document.size());
    XmlReader xml(source, markup_limit);
    std::string text;
    for (int i = 0; i < 100000; ++i) {
        const XmlReader::Event event = xml.next();
        if (event == XmlReader::Event::kDone) return text + "done\n";
        if (event == XmlReader::Event::kError) return text + "error: " + xml.error() + " @" + std::to_string(xml.line()) + "\n";
        if (event == XmlReader::Event::kEnd) {
            text.append("-").append(xml.name()).append("\n");
            continue;
        }
        text.append("+").append(xml.name());
        if (xml.local_name() != xml.name()) text.append("(").append(xml.local_name()).append(")");
        for (const XmlAttribute& attribute : xml.attributes()) {
            text.append(" ").append(attribute.name).append("=").append(attribute.value);
        }
        text += " @" + std::to_string(xml.line()) + " d" + std::to_string(xml.depth()) + "\n";
    }
    return text + "too many events\n";
}

struct Case {
    const char* what;
    std::string document;
    std::string events;
};

// Elements named e nested that deep, the innermost empty, and the events they give up to the error.
std::string nested(std::size_t depth) {
    std::string text;
    for (std::size_t i = 1; i < depth; ++i) text += "<e>";
    text += "<e/>";
    for (std::size_t i = 1; i < depth; ++i) text += "</e>";
    return text;
}
std::string nested_starts(std::size_t depth) {
    std::string text;
    for (std::size_t i = 1; i <= depth; ++i) text += "+e @1 d" + std::to_string(i) + "\n";
    return text;
}
std::string nested_events(std::size_t depth) {
    std::string text = nested_starts(depth);
    for (std::size_t i = 1; i <= depth; ++i) text += "-e\n";
    return text + "done\n";
}

TEST(XmlReader, GivesTheElementsOfADocument) {
    const Case cases[] = {
        {"elements and attributes", "<a x=\"1\" y='two'><b/><c z = \"3\" ></c></a>",
         "+a x=1 y=two @1 d1\n+b @1 d2\n-b\n+c z=3 @1 d2\n-c\n-a\ndone\n"},
        {"a declaration, comments, a document type, instructions and text",
         "\xEF\xBB\xBF<?xml version=\"1.0\"?>\n<!-- <a> -->\n<!DOCTYPE a [ <!ENTITY e \"x>\"> ]>\n"
         "<a>text <![CDATA[ <b/> ]]> &amp; more<?pi <c/> ?><!-- x --></a>\n<!-- after -->\n",
         "+a @4 d1\n-a\ndone\n"},
        {"references in values", "<a v=\"&lt;&gt;&amp;&quot;&apos;&#65;&#x42;&#xe9;&#x20AC;&#x1F600;\"/>",
         "+a v=<>&\"'AB\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80 @1 d1\n-a\ndone\n"},
        {"line ends and tabs in values are spaces, their references stay",
         "<a v=\"1\n2\t3\r4&#10;5\"/>", "+a v=1 2 3 4\n5 @1 d1\n-a\ndone\n"},
        {"'>' in a value", "<a v=\"x > y\" w='\"'/>", "+a v=x > y w=\" @1 d1\n-a\ndone\n"},
        {"prefixes", "<m:a xmlns:m=\"u\"><m:b p:c=\"1\"/></m:a>",
         "+m:a(a) xmlns:m=u @1 d1\n+m:b(b) p:c=1 @1 d2\n-m:b\n-m:a\ndone\n"},
        {"lines of elements", "<a>\n\n  <b\n  x=\"1\"/>\n<c\n/></a>", "+a @1 d1\n+b x=1 @3 d2\n-b\n+c @5 d2\n-c\n-a\ndone\n"},
        {"end tags that do not match", "<a><b></a></b>", "+a @1 d1\n+b @1 d2\nerror: end tag does not match its start tag @1\n"},
        {"an end tag alone", "</a>", "error: end tag does not match its start tag @1\n"},
        {"no root element", "<?xml version=\"1.0\"?>\n<!-- -->\n", "error: no root element @3\n"},
        {"an empty document", "", "error: no root element @1\n"},
        {"text outside the root", "x<a/>", "error: text outside the root element @1\n"},
        {"text after the root", "<a/>\nx", "+a @1 d1\n-a\nerror: text outside the root element @2\n"},
        {"a second root", "<a/><b/>", "+a @1 d1\n-a\nerror: a second root element @1\n"},
        {"an unclosed element", "<a><b>", "+a @1 d1\n+b @1 d2\nerror: the document ends inside an element @1\n"},
        {"an unfinished tag", "<a x=\"1", "error: unfinished tag @1\n"},
        {"an unfinished comment", "<a><!-- x", "+a @1 d1\nerror: unfinished comment @1\n"},
        {"an unfinished CDATA section", "<a><![CDATA[ x", "+a @1 d1\nerror: unfinished CDATA section @1\n"},
        {"CDATA outside the root", "<![CDATA[x]]><a/>", "error: CDATA outside the root element @1\n"},
        {"an unfinished instruction", "<?xml", "error: unfinished processing instruction @1\n"},
        {"a value without quotes", "<a x=1/>", "error: attribute value without quotes @1\n"},
        {"an attribute without a value", "<a x/>", "error: attribute without a value @1\n"},
        {"attributes without space", "<a x=\"1\"y=\"2\"/>", "error: bad attribute @1\n"},
        {"an unknown entity", "<a x=\"&nbsp;\"/>", "error: bad reference in an attribute value @1\n"},
        {"a reference to NUL", "<a x=\"&#0;\"/>", "error: bad reference in an attribute value @1\n"},
        {"a reference beyond Unicode", "<a x=\"&#x110000;\"/>", "error: bad reference in an attribute value @1\n"},
        {"a reference without ';'", "<a x=\"&amp\"/>", "error: bad reference in an attribute value @1\n"},
        {"'<' in a value", "<a x=\"<\"/>", "error: '<' in an attribute value @1\n"},
        {"a name starting with a digit", "<1a/>", "error: bad markup @1\n"},
        {"'<' alone", "<a>< b</a>", "+a @1 d1\nerror: bad markup @1\n"},
        {"a bad end of an empty tag", "<a / >", "error: bad tag @1\n"},
        {"a document type after the root", "<a/><!DOCTYPE a>", "+a @1 d1\n-a\nerror: bad document type declaration @1\n"},
        {"elements nested as deep as allowed", nested(XmlReader::kMostDepth), nested_events(XmlReader::kMostDepth)},
        {"elements nested deeper", nested(XmlReader::kMostDepth + 1),
         nested_starts(XmlReader::kMostDepth) +
             "error: elements nested deeper than 256 @1\n"},
        {"a comment, CDATA and instruction longer than a tag may be",
         "<a><!--" + std::string(XmlReader::kDefaultMarkupLimit * 2, '-') + "x--><?p " +
             std::string(XmlReader::kDefaultMarkupLimit * 2, '?') + "?><![CDATA[" +
             std::string(XmlReader::kDefaultMarkupLimit * 2, ']') + "]]></a>",
         "+a @1 d1\n-a\ndone\n"},
    };
    for (const Case& c : cases) EXPECT_EQ(events(c.document), c.events) << c.what;
}

TEST(XmlReader, MarkupLongerThanTheLimitIsAnError) {
    const std::string value(100, 'v');
    const std::string document = "<a x=\"" + value + "\"/>";
    EXPECT_EQ(events(document, 200), "+a x=" + value + " @1 d1\n-a\ndone\n");
    EXPECT_EQ(events(document, 50), "error: tag longer than 50 bytes @1\n");
    // A tag cut before its limit is unfinished; a comment is skipped whatever its length.
    EXPECT_EQ(events(document.substr(0, 40), 50), "error: unfinished tag @1\n");
    EXPECT_EQ(events("<a><!--" + value + "--></a>", 50), "+a @1 d1\n-a\ndone\n");
    const std::string huge = "<a x=\"" + std::string(XmlReader::kDefaultMarkupLimit, 'v') + "\"/>";
    EXPECT_EQ(events(huge), "error: tag longer than 1048576 bytes @1\n");
}

// Markup that crosses the reader's buffer blocks reads as any other.
TEST(XmlReader, ReadsAcrossItsBlocks) {
    std::string document = "<root>\n";
    std::string expected = "+root @1 d1\n";
    for (int i = 0; i < 5000; ++i) {
        const std::string value(static_cast<std::size_t>(i % 97), static_cast<char>('a' + i % 26));
        document += "<e n=\"" + std::to_string(i) + "\" v=\"" + value + "&amp;\"><!-- " + value + " --></e>\n";
        expected += "+e n=" + std::to_string(i) + " v=" + value + "& @" + std::to_string(i + 2) + " d2\n-e\n";
    }
    document += "</root>\n";
    expected += "-root\ndone\n";
    ASSERT_GT(document.size(), std::size_t{1} << 17);
    EXPECT_EQ(events(document), expected);
}

// A value whose references took fewer bytes than their text is followed by spaces, not by old bytes.
TEST(XmlReader, ANumberReadFromADecodedValueStopsAtItsEnd) {
    const std::string document = "<a v=\"1&#46;5\"/>";
    MemoryByteSource source(document.data(), document.size());
    XmlReader xml(source);
    ASSERT_EQ(xml.next(), XmlReader::Event::kStart);
    const std::string_view* value = xml.attribute("v");
    ASSERT_NE(value, nullptr);
    EXPECT_EQ(*value, "1.5");
    EXPECT_EQ(std::string(value->data(), value->size() + 4), "1.5    ");
    EXPECT_EQ(xml.attribute("w"), nullptr);
}

}  // namespace
}  // namespace trimora
