// Messages whose format does not match their arguments must not compile; the CTests
// checked_format_N compile this file with TRIMORA_CASE=N, and only case 0 may succeed.
#include "platform/text_output.h"
#include "readers/mesh_reader.h"

void print_a_message(trimora::TextOutput& out) {
#if TRIMORA_CASE == 1
    out.print("Wrong number of vertices [%d] at line %d\n", 2.0, 7);  // a double for %d
#elif TRIMORA_CASE == 2
    out.print("Too many vertices at line %d\n");  // an argument missing
#elif TRIMORA_CASE == 3
    out.print("File open: [%s]\n", "a.stl", 2);  // an argument too many
#elif TRIMORA_CASE == 4
    out.print("nrml %f\n", 0.5);  // not one of the message conversions
#elif TRIMORA_CASE == 5
    const char* format = "nfacet = %d\n";
    out.print(format, 1);  // a format the compiler cannot see
#else
    out.print("Unknown code word [%s] on line %d, %lf\n", "x", 3, 0.5);  // the control
#endif
}

// A reader's problems are checked against the table's texts in the same way.
class ProblemReader final : public trimora::MeshReader {
public:
    explicit ProblemReader(trimora::ByteSource& source) : MeshReader(source, "a.3mf", "3mf") {}
    trimora::ReadStep next() override {
        namespace message = trimora::message;
#if TRIMORA_CASE == 6
        return report(3, message::kMissingAttribute, "z");  // a value missing
#elif TRIMORA_CASE == 7
        return report(3, message::kFaceTooSmall, 2, 3);  // a value too many
#elif TRIMORA_CASE == 8
        return report(3, message::kObjectNotFound, "7");  // a text for %d
#else
        return report(3, message::kUnsupportedZipMethod, 14, "3D/3dmodel.model");  // the control
#endif
    }
};
