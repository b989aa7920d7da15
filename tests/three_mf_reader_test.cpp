// 3MF packages: the model found through the relationships, build items, components, transforms, units, problems.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "mesh_files.h"
#include "platform/byte_source.h"

namespace trimora::testing {
namespace {

struct Case {
    const char* what;
    std::string input;
    std::string steps;  // as steps_text writes them
    bool read_to_end;
    const char* unit;
};

const std::string kCore = "http://schemas.microsoft.com/3dmanufacturing/core/2015/02";

// A model with the elements inside <model>, written on lines of their own.
std::string model(const std::string& inside, const std::string& attributes = "") {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<model xmlns=\"" + kCore + "\"" + attributes + ">\n" + inside +
           "</model>\n";
}

// Object 1: one triangle in the z = 0 plane.
const std::string kTriangleObject =
    "<object id=\"1\" type=\"model\"><mesh>\n"
    "<vertices><vertex x=\"0\" y=\"0\" z=\"0\"/><vertex x=\"1\" y=\"0\" z=\"0\"/>"
    "<vertex x=\"1\" y=\"1\" z=\"0\"/></vertices>\n"
    "<triangles><triangle v1=\"0\" v2=\"1\" v3=\"2\"/></triangles>\n"
    "</mesh></object>\n";

std::string package(const std::string& model_text) { return zip_file(package_parts(model_text)); }

std::string resources(const std::string& objects) { return "<resources>\n" + objects + "</resources>\n"; }
std::string build(const std::string& items) { return "<build>\n" + items + "</build>\n"; }

// Scales by 2 and moves by (1, 0, 0); then a quarter turn about z, moved up by 5.
const std::string kScale = "2 0 0 0 2 0 0 0 2 1 0 0";
const std::string kTurn = "0 1 0 -1 0 0 0 0 1 0 0 5";
// A mirror in x: its determinant is -1.
const std::string kMirror = "-1 0 0 0 1 0 0 0 1 0 0 0";

// Object 0 holds the triangle of kTriangleObject written triangles times;
// each of levels objects above it takes the one before it ten times, and the
// build gives the last.
std::string instancing(int triangles, int levels) {
    std::string objects =
        "<object id=\"0\"><mesh><vertices><vertex x=\"0\" y=\"0\" z=\"0\"/><vertex x=\"1\" y=\"0\" z=\"0\"/>"
        "<vertex x=\"1\" y=\"1\" z=\"0\"/></vertices>\n<triangles>";
    for (int i = 0; i < triangles; ++i) objects += "<triangle v1=\"0\" v2=\"1\" v3=\"2\"/>";
    objects += "</triangles></mesh></object>\n";
    for (int level = 1; level <= levels; ++level) {
        objects += "<object id=\"" + std::to_string(level) + "\"><components>";
        for (int i = 0; i < 10; ++i) objects += "<component objectid=\"" + std::to_string(level - 1) + "\"/>";
        objects += "</components></object>\n";
    }
    return package(model(resources(objects) + build("<item objectid=\"" + std::to_string(levels) + "\"/>\n")));
}

TEST(ThreeMfReader, GivesTheFacetsAndProblemsOfEachPackage) {
    const std::string nested =
        resources(kTriangleObject +
                  "<object id=\"2\"><components><component objectid=\"1\" transform=\"" + kScale +
                  "\"/></components></object>\n"
                  "<object id=\"3\"><components>\n<component objectid=\"2\" transform=\"1 0 0 0 1 0 0 0 1 0 0 1\"/>\n"
                  "<component objectid=\"1\"/></components></object>\n") +
        build("<item objectid=\"3\" transform=\"" + kTurn + "\"/>\n");
    std::vector<ZipFile> production = package_parts(
        model(resources("<object id=\"7\"><components><component p:path=\"/3D/Objects/part%201.model\" objectid=\"1\""
                        " transform=\"1 0 0 0 1 0 0 0 1 0 0 4\"/></components></object>\n") +
                  build("<item objectid=\"7\"/>\n"),
              " xmlns:p=\"http://schemas.microsoft.com/3dmanufacturing/production/2015/06\""));
    production.push_back({"3D/Objects/part 1.model", model(resources(kTriangleObject))});
    std::vector<ZipFile> elsewhere = package_parts(model(resources(kTriangleObject) + build("<item objectid=\"1\"/>")));
    elsewhere[1].bytes.replace(elsewhere[1].bytes.find("/3D/3dmodel.model"), 17, "/3D/Other%20Name.MODEL");
    elsewhere[2].name = "3D/other name.model";
    std::vector<ZipFile> no_relationships = package_parts(model(resources(kTriangleObject) + build("<item objectid=\"1\"/>")));
    no_relationships.erase(no_relationships.begin() + 1);
    std::string encrypted = package(model(""));
    std::string lzma = encrypted;
    const std::size_t entry_name = encrypted.rfind("3D/3dmodel.model");
    encrypted[entry_name - 46 + 8] = 1;  // the central directory's flags
    lzma[entry_name - 46 + 10] = 14;     // and its compression method
    std::vector<ZipFile> stored = package_parts(model(resources(kTriangleObject) + build("<item objectid=\"1\"/>")), false);
    std::string corrupt = zip_file(stored);
    corrupt[corrupt.find("<vertex x=\"1\"") + 11] = '2';

    const Case cases[] = {
        {"one item", package(model(resources(kTriangleObject) + build("<item objectid=\"1\"/>\n"))),
         "0 0 0 | 1 0 0 | 1 1 0\n", true, "millimeter"},
        {"items in build order, each with its transform",
         package(model(resources(kTriangleObject) +
                       build("<item objectid=\"1\" transform=\"" + kTurn + "\"/>\n<item objectid=\"1\" transform=\"" +
                             kScale + "\"/>\n"))),
         "0 0 5 | 0 1 5 | -1 1 5\n1 0 0 | 3 0 0 | 3 2 0\n", true, "millimeter"},
        {"components apply their transforms before their parents'", package(model(nested)),
         "0 1 6 | 0 3 6 | -2 3 6\n0 0 5 | 0 1 5 | -1 1 5\n", true, "millimeter"},
        {"the unit as written", package(model(resources(kTriangleObject) + build(""), " unit=\"inch\"")), "", true,
         "inch"},
        {"objects in another part", zip_file(production), "0 0 4 | 1 0 4 | 1 1 4\n", true, "millimeter"},
        {"the model named by the relationships", zip_file(elsewhere), "0 0 0 | 1 0 0 | 1 1 0\n", true, "millimeter"},
        {"the usual model name without relationships", zip_file(no_relationships), "0 0 0 | 1 0 0 | 1 1 0\n", true,
         "millimeter"},
        {"prefixes, references and white space",
         package("<c:model xmlns:c=\"" + kCore + "\"><c:resources><c:object id=\" 1 \"><c:mesh><c:vertices>\n"
                 "<c:vertex x=\"&#49;.5\" y='-2e0' z=\"&#x33;\"/><c:vertex x=\"0\" y=\"0\"\n z=\"0\"/>"
                 "<c:vertex x=\"1\" y=\"1\" z=\"1\"/></c:vertices><c:triangles><c:triangle v1=\"0\" v2=\"1\" v3=\"2\" "
                 "p1=\"0\"/></c:triangles></c:mesh></c:object></c:resources>"
                 "<c:build><c:item objectid=\"1\" transform=\"1 0 0\n0 1 0 0 0 1 0 0 0\"/></c:build></c:model>"),
         "1.5 -2 3 | 0 0 0 | 1 1 1\n", true, "millimeter"},
        {"an unknown unit", package(model(build(""), " unit=\"furlong\"")),
         "Unknown model unit [furlong] in [print.3mf] on line 2\n", true, "millimeter"},
        {"an item of no object",
         package(model(resources(kTriangleObject) + build("<item objectid=\"9\"/>\n<item objectid=\"1\"/>\n"))),
         "Object not found [9] in [print.3mf] on line 10\n0 0 0 | 1 0 0 | 1 1 0\n", true, "millimeter"},
        {"a component of no object",
         package(model(resources("<object id=\"2\"><components>\n<component objectid=\"5\"/></components></object>\n") +
                       build("<item objectid=\"2\"/>\n"))),
         "Object not found [5] in [print.3mf] on line 5\n", true, "millimeter"},
        {"components in a cycle",
         package(model(resources(kTriangleObject +
                                 "<object id=\"2\"><components><component objectid=\"1\"/>"
                                 "<component objectid=\"3\"/></components></object>\n"
                                 "<object id=\"3\"><components><component objectid=\"2\"/></components></object>\n") +
                       build("<item objectid=\"2\"/>\n"))),
         "0 0 0 | 1 0 0 | 1 1 0\nComponent cycle at object [2] in [print.3mf] on line 9\n", true, "millimeter"},
        {"a triangle out of range",
         package(model(resources("<object id=\"1\"><mesh><vertices><vertex x=\"0\" y=\"0\" z=\"0\"/></vertices>\n"
                                 "<triangles><triangle v1=\"0\" v2=\"0\" v3=\"1\"/>\n<triangle v1=\"0\" v2=\"-1\" "
                                 "v3=\"0\"/>\n<triangle v1=\"0\" v2=\"x\" v3=\"0\"/>\n<triangle v1=\"0\" v2=\"0\"/>\n"
                                 "</triangles></mesh></object>\n"))),
         "Vertex index out of range [1] in [print.3mf] on line 5\nVertex index out of range [-1] in [print.3mf] on line 6\n"
         "Bad vertex index [x] in [print.3mf] on line 7\nMissing attribute [v3] of [triangle] in [print.3mf] on line 8\n",
         true, "millimeter"},
        {"a vertex without z",
         package(model(resources("<object id=\"1\"><mesh><vertices>\n<vertex x=\"1\" y=\"2\"/>\n"
                                 "</vertices></mesh></object>\n"))),
         "Missing attribute [z] of [vertex] in [print.3mf] on line 5\n", true, "millimeter"},
        {"an object without id", package(model(resources("<object type=\"model\"/>\n"))),
         "Missing attribute [id] of [object] in [print.3mf] on line 4\n", true, "millimeter"},
        {"an item without object", package(model(build("<item/>\n"))),
         "Missing attribute [objectid] of [item] in [print.3mf] on line 4\n", true, "millimeter"},
        // A present attribute that is no id is bad, not missing.
        {"an object with a bad id", package(model(resources("<object id=\"-1\" type=\"model\"/>\n"))),
         "Bad attribute [id=-1] of [object] in [print.3mf] on line 4\n", true, "millimeter"},
        {"an item with a bad object id", package(model(build("<item objectid=\"one\"/>\n"))),
         "Bad attribute [objectid=one] of [item] in [print.3mf] on line 4\n", true, "millimeter"},
        {"a transform of three numbers",
         package(model(resources(kTriangleObject) + build("<item objectid=\"1\" transform=\"1 0 0\"/>\n"))),
         "Bad transform [1 0 0] in [print.3mf] on line 10\n", true, "millimeter"},
        {"tags that do not match", package(model(resources(kTriangleObject) + "<build>\n</resources>\n")),
         "XML error [end tag does not match its start tag] in [print.3mf] on line 10\n", false, "millimeter"},
        {"a model cut inside an element", package(model(resources(kTriangleObject)).substr(0, 150)),
         "XML error [unfinished tag] in [print.3mf] on line 4\n", false, "millimeter"},
        // The package is read whole before its build is given: what was read is given after the problem.
        {"an entry whose bytes are not its CRC", corrupt,
         "Compressed data corrupt [entry CRC differs from the directory] in [print.3mf]\n0 0 0 | 2 0 0 | 1 1 0\n",
         false, "millimeter"},
        // A mirror reverses each triangle, so that it still faces outward; two mirrors make none.
        {"an item that mirrors",
         package(model(resources(kTriangleObject) + build("<item objectid=\"1\" transform=\"" + kMirror + "\"/>\n"))),
         "-1 1 0 | -1 0 0 | 0 0 0\n", true, "millimeter"},
        {"a mirrored component of a turned item and of an item that mirrors",
         package(model(resources(kTriangleObject + "<object id=\"2\"><components><component objectid=\"1\" transform=\"" +
                                 kMirror + "\"/></components></object>\n") +
                       build("<item objectid=\"2\" transform=\"0 0 -1 0 1 0 1 0 0 0 0 0\"/>\n"
                             "<item objectid=\"2\" transform=\"" + kMirror + "\"/>\n"))),
         "0 1 1 | 0 0 1 | 0 0 0\n0 0 0 | 1 0 0 | 1 1 0\n", true, "millimeter"},
        {"instances of instances", instancing(1, 2), [] {
             std::string facets;
             for (int i = 0; i < 100; ++i) facets += "0 0 0 | 1 0 0 | 1 1 0\n";
             return facets;
         }(), true, "millimeter"},
        // Counted before anything is given: 10^8 facets, from one triangle stored.
        {"a build beyond ten million facets", instancing(1, 8),
         "Build gives more than [10000000] facets in [print.3mf]\n", false, "millimeter"},
        {"a build beyond a thousand facets for each stored", instancing(20001, 4),
         "Build gives more than [20001000] facets in [print.3mf]\n", false, "millimeter"},
        {"no model", zip_file({{"readme.txt", "nothing"}}), "No 3D model in [print.3mf]\n", false, "millimeter"},
        {"not a zip archive", "solid x\nendsolid x\n",
         "Broken zip archive [no end of central directory] in [print.3mf]\n", false, "millimeter"},
        {"an empty file", "", "Broken zip archive [no end of central directory] in [print.3mf]\n", false,
         "millimeter"},
        {"a missing other part",
         package(model(resources("<object id=\"7\"><components><component p:path=\"/3D/none.model\" objectid=\"1\"/>"
                                 "</components></object>\n") +
                           build("<item objectid=\"7\"/>\n"),
                       " xmlns:p=\"x\"")),
         "Model part not found [3d/none.model] in [print.3mf]\n", true, "millimeter"},
        {"an encrypted model", encrypted, "Encrypted zip entry [3D/3dmodel.model] in [print.3mf]\n", false,
         "millimeter"},
        {"a model of another compression", lzma,
         "Unsupported zip compression [14] for [3D/3dmodel.model] in [print.3mf]\n", false, "millimeter"},
    };
    for (const Case& c : cases) {
        for (const bool gzip : {false, true}) {
            const ReadBack read =
                read_back(MeshFormat::k3mf, gzip ? gzip_bytes(c.input) : c.input, "print.3mf", gzip);
            EXPECT_EQ(steps_text(read), c.steps) << c.what;
            EXPECT_EQ(read.read_to_end, c.read_to_end) << c.what;
            EXPECT_EQ(read.format_name, "3mf") << c.what;
            EXPECT_EQ(read.unit, c.unit) << c.what;
        }
    }
}

// A translation by z, as a 3MF transform.
std::string lift(int z) { return "1 0 0 0 1 0 0 0 1 0 0 " + std::to_string(z); }

// The triangle of kTriangleObject lifted by z.
std::string lifted_triangle(int z) {
    const std::string h = std::to_string(z);
    return "0 0 " + h + " | 1 0 " + h + " | 1 1 " + h + "\n";
}

const std::string kProduction = " xmlns:p=\"http://schemas.microsoft.com/3dmanufacturing/production/2015/06\"";

TEST(ThreeMfReader, ReadsComponentsOfAnyCountOfPartsAtAnyDepth) {
    for (const int count : {1, 4, 5, 12, 40}) {
        // Object 10 takes object 1 of each part, lifted by the part's number;
        // object 11 takes part 1's object 2, which takes part 2's, and so on:
        // a chain as deep as there are parts.
        std::string components;
        for (int i = 1; i <= count; ++i) {
            components += "<component p:path=\"/3D/p" + std::to_string(i) + ".model\" objectid=\"1\" transform=\"" +
                          lift(i) + "\"/>\n";
        }
        std::vector<ZipFile> files = package_parts(
            model(resources("<object id=\"10\"><components>\n" + components + "</components></object>\n" +
                            "<object id=\"11\"><components><component p:path=\"/3D/p1.model\" objectid=\"2\"/>"
                            "</components></object>\n") +
                      build("<item objectid=\"10\"/>\n<item objectid=\"11\" transform=\"" + lift(1000) +
                            "\"/>\n<item objectid=\"10\"/>\n"),
                  kProduction));
        for (int i = 1; i <= count; ++i) {
            std::string chain = "<component objectid=\"1\" transform=\"" + lift(i) + "\"/>";
            if (i < count) {
                chain += "<component p:path=\"/3D/p" + std::to_string(i + 1) + ".model\" objectid=\"2\"/>";
            }
            files.push_back({"3D/p" + std::to_string(i) + ".model",
                             model(resources(kTriangleObject + "<object id=\"2\"><components>" + chain +
                                             "</components></object>\n"),
                                   kProduction)});
        }
        std::string each_part;
        std::string chain;
        for (int i = 1; i <= count; ++i) {
            each_part += lifted_triangle(i);
            chain += lifted_triangle(1000 + i);
        }
        const ReadBack read = read_back(MeshFormat::k3mf, zip_file(files), "print.3mf");
        EXPECT_EQ(steps_text(read), each_part + chain + each_part) << count;
        EXPECT_TRUE(read.read_to_end) << count;
    }
}

TEST(ThreeMfReader, ACutPackageIsACutStream) {
    const std::string bytes = gzip_bytes(package(model(resources(kTriangleObject) + build("<item objectid=\"1\"/>"))));
    const ReadBack read = read_back(MeshFormat::k3mf, bytes.substr(0, bytes.size() / 2), "print.3mf.gz", true);
    EXPECT_EQ(steps_text(read), "Compressed data cut short in [print.3mf.gz]\n");
    EXPECT_FALSE(read.read_to_end);
}

// Bytes in memory that tell a size of their own, as a file that grew or
// shrank after its size was asked would; the sizes of the reads are kept.
class ToldSizeSource final : public ByteSource {
public:
    ToldSizeSource(const std::string& bytes, std::uint64_t told) : bytes_(bytes), told_(told) {}
    std::size_t read(void* buffer, std::size_t n) override {
        asked.push_back(n);
        const std::size_t done = std::min(n, bytes_.size() - pos_);
        std::copy_n(bytes_.data() + pos_, done, static_cast<char*>(buffer));
        pos_ += done;
        if (done < n) set_ended();
        return done;
    }
    std::optional<std::uint64_t> known_size() const override { return told_; }

    std::vector<std::size_t> asked;

private:
    const std::string& bytes_;
    std::size_t pos_ = 0;
    std::uint64_t told_;
};

TEST(ThreeMfReader, APackageIsReadByItsSizeAndAsTheReadsGiveIt) {
    // Stored comments make the package larger than a first guess of its size.
    std::string objects;
    for (int i = 0; i < 8000; ++i) objects += "<!-- " + std::to_string(i) + " -->";
    const std::string bytes =
        zip_file(package_parts(model(resources(kTriangleObject) + objects + build("<item objectid=\"1\"/>\n")), false));
    ASSERT_GT(bytes.size(), std::size_t{1} << 16);
    const std::string expected = "0 0 0 | 1 0 0 | 1 1 0\n";
    {
        ToldSizeSource source(bytes, bytes.size());
        EXPECT_EQ(steps_text(read_back(MeshFormat::k3mf, source, "p.3mf")), expected);
        // All at once, then one read that finds the end.
        ASSERT_EQ(source.asked.size(), 2u);
        EXPECT_EQ(source.asked[0], bytes.size());
    }
    const std::uint64_t size = bytes.size();
    for (const std::uint64_t told : {std::uint64_t{0}, std::uint64_t{1}, size / 2, size - 1, size - 4096, size - 4097,
                                     size + 1, size * 3}) {
        ToldSizeSource source(bytes, told);
        const ReadBack read = read_back(MeshFormat::k3mf, source, "p.3mf");
        EXPECT_EQ(steps_text(read), expected) << told;
        EXPECT_TRUE(read.read_to_end) << told;
    }
}

}  // namespace
}  // namespace trimora::testing
