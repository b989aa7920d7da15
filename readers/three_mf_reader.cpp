// 3MF: the model of a zip package, its build items with their objects, components and transforms.
#include <algorithm>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/byte_source.h"
#include "platform/text_to_double.h"
#include "readers/format_readers.h"
#include "readers/reader_support.h"
#include "readers/three_mf_transform.h"
#include "readers/xml_reader.h"
#include "readers/zip_archive.h"

namespace trimora {

namespace {

constexpr std::string_view kModelRelationship = "http://schemas.microsoft.com/3dmanufacturing/2013/01/3dmodel";
constexpr std::string_view kDefaultModel = "3D/3dmodel.model";
constexpr const char* kUnits[] = {"micron", "millimeter", "centimeter", "inch", "foot", "meter"};

// A triangle by the places of its vertices in the one vertex table of the package.
struct Triangle {
    std::uint32_t vertices[3];
};

struct Component {
    std::uint32_t part;  // the model part of the object
    std::uint64_t object_id;
    Transform transform;
    std::uint64_t line;
};

struct Object {
    std::size_t first_triangle = 0;
    std::size_t triangle_count = 0;
    std::vector<Component> components;
    bool on_path = false;  // being given: a component that reaches it again closes a cycle
};

// The elements whose place in the document the reader follows.
enum class Context { kOther, kModel, kResources, kObject, kMesh, kVertices, kTriangles, kComponents, kBuild };

// One model part being read: its entry's bytes, its XML, where the reader is in it.
struct ModelPart {
    ModelPart(const ZipEntry& entry, const unsigned char* start, std::size_t available, std::uint32_t index)
        : source(entry, start, available), xml(source), index(index) {}

    ZipEntrySource source;
    XmlReader xml;
    std::uint32_t index;
    std::vector<Context> contexts;
    std::size_t object = 0;        // the object being read
    std::size_t first_vertex = 0;  // of the mesh being read
};

// A place in the tree of an item being given: an object, the transform from
// its coordinates to the build's, and how far its triangles and components are.
struct Frame {
    std::size_t object;
    Transform transform;
    std::size_t next_triangle = 0;
    std::size_t next_component = 0;
};

// The text of a part name as a zip entry name: without a leading '/', with %XX escapes replaced.
std::string entry_name(std::string_view target) {
    std::string name;
    for (std::size_t i = 0; i < target.size(); ++i) {
        const auto hex = [](char c) {
            if (c >= '0' && c <= '9') return c - '0';
            if (c >= 'a' && c <= 'f') return c - 'a' + 10;
            if (c >= 'A' && c <= 'F') return c - 'A' + 10;
            return -1;
        };
        if (target[i] == '%' && i + 2 < target.size() && hex(target[i + 1]) >= 0 && hex(target[i + 2]) >= 0) {
            name += static_cast<char>(hex(target[i + 1]) * 16 + hex(target[i + 2]));
            i += 2;
        } else {
            name += target[i];
        }
    }
    if (!name.empty() && name.front() == '/') name.erase(0, 1);
    for (char& c : name) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return name;
}

// The value of an integer attribute written alone, blanks around it allowed.
bool read_whole_integer(std::string_view text, std::int64_t& value) {
    const char* p = skip_blanks(text.data());
    if (!read_integer(p, value)) return false;
    p = skip_blanks(p);
    return p >= text.data() + text.size();
}

class ThreeMfReader final : public MeshReader {
public:
    ThreeMfReader(ByteSource& source, std::string_view name) : MeshReader(source, name, "3mf") {
        unit_ = "millimeter";
    }

    ReadStep next() override;

private:
    // Reads the package and opens its root model part; false with step set when it cannot.
    bool open_package(ReadStep& step);
    // Reads the whole source into archive_: allocated once by the size the
    // source tells, else grown as the bytes arrive. The bytes are what the
    // reads give, whether the file grew or shrank since its size was told.
    void read_archive();
    // The name of the root model part from the package relationships, or the usual name.
    std::string model_name();
    // Opens the part of that entry name as parts_[index]; false with step set when it cannot.
    bool open_part(const std::string& name, std::uint32_t index, ReadStep& step);
    // The index of a part by its entry name, a new one when it is not known.
    std::uint32_t part_index(const std::string& name);
    // Handles the next event of the part; true with step set when it gives a problem or the end.
    bool read_event(ModelPart& part, ReadStep& step);
    bool start_element(ModelPart& part, ReadStep& step);
    bool read_vertex(ModelPart& part, ReadStep& step);
    bool read_triangle(ModelPart& part, ReadStep& step);
    // Reads objectid, transform and a path of another part; false with step set on a problem.
    bool read_reference(ModelPart& part, std::uint32_t& target_part, std::uint64_t& id, Transform& transform,
                        ReadStep& step);
    // Gives the next facet or problem of the item being given; false when it is done.
    bool continue_item(ReadStep& step);
    // Starts giving the object of that part and id; false with step set on a problem.
    bool start_object(std::uint32_t part, std::uint64_t id, const Transform& transform, std::uint64_t line,
                      ReadStep& step);

    bool opened_ = false;
    bool done_ = false;
    std::vector<unsigned char> archive_;
    ZipArchive zip_;
    std::vector<std::string> part_names_;  // by part index; the root model is 0
    std::unique_ptr<ModelPart> root_;
    std::unique_ptr<ModelPart> other_;  // a part read for a component that needs it
    std::vector<bool> part_read_;
    VertexTable vertices_;
    SegmentedArray<Triangle> triangles_;
    std::vector<Object> objects_;
    std::map<std::pair<std::uint32_t, std::uint64_t>, std::size_t> object_index_;
    std::vector<Frame> frames_;
};

ReadStep ThreeMfReader::next() {
    ReadStep step;
    if (!opened_) {
        opened_ = true;
        if (!open_package(step)) {
            done_ = true;
            return step;
        }
    }
    for (;;) {
        if (other_) {
            // A part a component needs is read to its end before the item goes on.
            if (read_event(*other_, step)) return step;
            continue;
        }
        if (continue_item(step)) return step;
        if (done_) return ReadStep::kEnd;
        if (read_event(*root_, step)) return step;
    }
}

void ThreeMfReader::read_archive() {
    std::size_t size = 0;
    const std::optional<std::uint64_t> known = source_.known_size();
    if (known && *known > 0 && *known <= archive_.max_size()) {
        archive_.resize(static_cast<std::size_t>(*known));
        size = source_.read(archive_.data(), archive_.size());
        // Fewer bytes: the file shrank, or could not be read.
        if (size < archive_.size()) {
            archive_.resize(size);
            return;
        }
    }
    if (known && size == *known) {
        // One more read tells the end from a file that grew.
        unsigned char more[4096];
        const std::size_t got = source_.read(more, sizeof more);
        archive_.insert(archive_.end(), more, more + got);
        size += got;
        if (got < sizeof more) return;
    }
    archive_.resize(std::max(size * 2, std::size_t{1} << 16));
    for (;;) {
        const std::size_t got = source_.read(archive_.data() + size, archive_.size() - size);
        size += got;
        if (size < archive_.size()) break;
        archive_.resize(archive_.size() * 2);
    }
    archive_.resize(size);
}

bool ThreeMfReader::open_package(ReadStep& step) {
    // The directory is at the end: the whole package is held.
    read_archive();
    if (source_.failure() != SourceFailure::kNone) {
        step = report_failure(source_);
        return false;
    }
    std::string error;
    if (!zip_.open(archive_.data(), archive_.size(), error)) {
        step = report(0, message::kBrokenZip, error);
        return false;
    }
    std::string model = model_name();
    if (model.empty() || zip_.find(model) == nullptr) model = entry_name(kDefaultModel);
    if (zip_.find(model) == nullptr) {
        step = report(0, message::kNoModel);
        return false;
    }
    return open_part(model, part_index(model), step);
}

std::string ThreeMfReader::model_name() {
    const ZipEntry* rels = zip_.find("_rels/.rels");
    const unsigned char* start = nullptr;
    std::size_t available = 0;
    std::string error;
    if (rels == nullptr || rels->encrypted() || (rels->method != 0 && rels->method != 8) ||
        !zip_.locate(*rels, start, available, error)) {
        return {};
    }
    // A broken relationships part leaves the usual name.
    ZipEntrySource source(*rels, start, available);
    XmlReader xml(source);
    for (XmlReader::Event event; (event = xml.next()) != XmlReader::Event::kDone && event != XmlReader::Event::kError;) {
        if (event != XmlReader::Event::kStart || xml.local_name() != "Relationship") continue;
        const std::string_view* type = xml.attribute("Type");
        const std::string_view* target = xml.attribute("Target");
        if (type != nullptr && target != nullptr && *type == kModelRelationship) return entry_name(*target);
    }
    return {};
}

std::uint32_t ThreeMfReader::part_index(const std::string& name) {
    for (std::size_t i = 0; i < part_names_.size(); ++i) {
        if (part_names_[i] == name) return static_cast<std::uint32_t>(i);
    }
    part_names_.push_back(name);
    part_read_.push_back(false);
    return static_cast<std::uint32_t>(part_names_.size() - 1);
}

bool ThreeMfReader::open_part(const std::string& name, std::uint32_t index, ReadStep& step) {
    part_read_[index] = true;
    const ZipEntry* entry = zip_.find(name);
    if (entry == nullptr) {
        step = report(0, message::kModelPartNotFound, name);
        return false;
    }
    if (entry->encrypted()) {
        step = report(0, message::kEncryptedZipEntry, entry->name);
        return false;
    }
    if (entry->method != 0 && entry->method != 8) {
        step = report(0, message::kUnsupportedZipMethod, entry->method, entry->name);
        return false;
    }
    const unsigned char* start = nullptr;
    std::size_t available = 0;
    std::string error;
    if (!zip_.locate(*entry, start, available, error)) {
        step = report(0, message::kBrokenZip, error);
        return false;
    }
    auto part = std::make_unique<ModelPart>(*entry, start, available, index);
    if (index == 0) {
        root_ = std::move(part);
    } else {
        other_ = std::move(part);
    }
    return true;
}

bool ThreeMfReader::read_event(ModelPart& part, ReadStep& step) {
    const bool root = &part == root_.get();
    switch (part.xml.next()) {
        case XmlReader::Event::kStart: return start_element(part, step);
        case XmlReader::Event::kEnd:
            if (!part.contexts.empty()) part.contexts.pop_back();
            return false;
        case XmlReader::Event::kDone:
            if (root) {
                done_ = true;
                read_to_end_ = true;
            } else {
                other_.reset();
            }
            return false;
        case XmlReader::Event::kError: break;
    }
    // A broken part ends the reading: what it held up to there has been given.
    if (part.source.failure() != SourceFailure::kNone) {
        step = report_failure(part.source);
    } else {
        step = report(part.xml.line(), message::kXmlError, part.xml.error());
    }
    done_ = true;
    frames_.clear();
    other_.reset();
    return true;
}

bool ThreeMfReader::start_element(ModelPart& part, ReadStep& step) {
    const Context parent = part.contexts.empty() ? Context::kOther : part.contexts.back();
    const std::string_view element = part.xml.local_name();
    Context context = Context::kOther;
    if (part.xml.depth() == 1 && element == "model") {
        context = Context::kModel;
        const std::string_view* unit = part.xml.attribute("unit");
        if (unit != nullptr && &part == root_.get()) {
            bool known = false;
            for (const char* name : kUnits) known = known || *unit == name;
            if (!known) {
                part.contexts.push_back(context);
                step = report(part.xml.line(), message::kUnknownUnit, *unit);
                return true;
            }
            unit_ = *unit;
        }
    } else if (parent == Context::kModel && element == "resources") {
        context = Context::kResources;
    } else if (parent == Context::kModel && element == "build") {
        context = Context::kBuild;
    } else if (parent == Context::kResources && element == "object") {
        const std::string_view* id = part.xml.attribute("id");
        std::int64_t value = 0;
        if (id == nullptr || !read_whole_integer(*id, value) || value < 0) {
            part.contexts.push_back(Context::kOther);
            step = id == nullptr ? report(part.xml.line(), message::kMissingAttribute, "id", "object")
                                 : report(part.xml.line(), message::kBadAttribute, "id", *id, "object");
            return true;
        }
        context = Context::kObject;
        part.object = objects_.size();
        objects_.emplace_back();
        object_index_.emplace(std::make_pair(part.index, static_cast<std::uint64_t>(value)), part.object);
    } else if (parent == Context::kObject && element == "mesh") {
        context = Context::kMesh;
        part.first_vertex = vertices_.size();
        objects_[part.object].first_triangle = triangles_.size();
        objects_[part.object].triangle_count = 0;
    } else if (parent == Context::kObject && element == "components") {
        context = Context::kComponents;
    } else if (parent == Context::kMesh && element == "vertices") {
        context = Context::kVertices;
    } else if (parent == Context::kMesh && element == "triangles") {
        context = Context::kTriangles;
    }
    part.contexts.push_back(context);
    if (parent == Context::kVertices && element == "vertex") return read_vertex(part, step);
    if (parent == Context::kTriangles && element == "triangle") return read_triangle(part, step);
    if (parent == Context::kComponents && element == "component") {
        Component component{part.index, 0, identity_transform(), part.xml.line()};
        if (!read_reference(part, component.part, component.object_id, component.transform, step)) return true;
        objects_[part.object].components.push_back(component);
        return false;
    }
    // Items of other parts are not the package's build.
    if (parent == Context::kBuild && element == "item" && &part == root_.get()) {
        std::uint32_t target = part.index;
        std::uint64_t id = 0;
        Transform transform = identity_transform();
        if (!read_reference(part, target, id, transform, step)) return true;
        return !start_object(target, id, transform, part.xml.line(), step);
    }
    return false;
}

bool ThreeMfReader::read_vertex(ModelPart& part, ReadStep& step) {
    Vertex& vertex = vertices_.push_back();
    const char* names[3] = {"x", "y", "z"};
    const char* missing = nullptr;
    for (int axis = 0; axis < 3; ++axis) {
        const std::string_view* value = part.xml.attribute(names[axis]);
        vertex.coordinates[axis] = value != nullptr ? text_to_double(value->data()) : 0.0;
        if (value == nullptr && missing == nullptr) missing = names[axis];
    }
    if (missing == nullptr) return false;
    step = report(part.xml.line(), message::kMissingAttribute, missing, "vertex");
    return true;
}

bool ThreeMfReader::read_triangle(ModelPart& part, ReadStep& step) {
    const char* names[3] = {"v1", "v2", "v3"};
    const std::size_t count = vertices_.size() - part.first_vertex;
    Triangle triangle{};
    for (int i = 0; i < 3; ++i) {
        const std::string_view* value = part.xml.attribute(names[i]);
        std::int64_t index = 0;
        if (value == nullptr) {
            step = report(part.xml.line(), message::kMissingAttribute, names[i], "triangle");
            return true;
        }
        if (!read_whole_integer(*value, index)) {
            step = report(part.xml.line(), message::kBadVertexIndex, *value);
            return true;
        }
        const std::uint64_t place = part.first_vertex + static_cast<std::uint64_t>(index);
        if (index < 0 || static_cast<std::uint64_t>(index) >= count || place > UINT32_MAX) {
            step = report(part.xml.line(), message::kVertexIndexOutOfRange, *value);
            return true;
        }
        triangle.vertices[i] = static_cast<std::uint32_t>(place);
    }
    triangles_.push_back(triangle);
    ++objects_[part.object].triangle_count;
    return false;
}

bool ThreeMfReader::read_reference(ModelPart& part, std::uint32_t& target_part, std::uint64_t& id,
                                   Transform& transform, ReadStep& step) {
    const std::string_view element = part.xml.local_name();
    const std::string_view* object_id = part.xml.attribute("objectid");
    std::int64_t value = 0;
    if (object_id == nullptr || !read_whole_integer(*object_id, value) || value < 0) {
        step = object_id == nullptr ? report(part.xml.line(), message::kMissingAttribute, "objectid", element)
                                    : report(part.xml.line(), message::kBadAttribute, "objectid", *object_id, element);
        return false;
    }
    id = static_cast<std::uint64_t>(value);
    const std::string_view* text = part.xml.attribute("transform");
    if (text != nullptr && !parse_transform(*text, transform)) {
        step = report(part.xml.line(), message::kBadTransform, *text);
        return false;
    }
    // The production extension places objects in other parts, named by a path of any prefix.
    for (const XmlAttribute& attribute : part.xml.attributes()) {
        const std::size_t colon = attribute.name.find(':');
        if (colon != std::string_view::npos && attribute.name.substr(colon + 1) == "path" &&
            attribute.name.substr(0, colon) != "xmlns") {
            target_part = part_index(entry_name(attribute.value));
        }
    }
    return true;
}

bool ThreeMfReader::start_object(std::uint32_t part, std::uint64_t id, const Transform& transform,
                                 std::uint64_t line, ReadStep& step) {
    const auto found = object_index_.find({part, id});
    if (found == object_index_.end()) {
        step = report(line, message::kObjectNotFound, id);
        return false;
    }
    Object& object = objects_[found->second];
    if (object.on_path) {
        step = report(line, message::kComponentCycle, id);
        return false;
    }
    object.on_path = true;
    frames_.push_back({found->second, transform});
    return true;
}

bool ThreeMfReader::continue_item(ReadStep& step) {
    while (!frames_.empty()) {
        Frame& frame = frames_.back();
        const Object& object = objects_[frame.object];
        if (frame.next_triangle < object.triangle_count) {
            const Triangle& triangle = triangles_[object.first_triangle + frame.next_triangle++];
            for (int i = 0; i < 3; ++i) {
                apply_transform(frame.transform, vertices_[triangle.vertices[i]].coordinates, facet_.vertices[i]);
            }
            facet_.has_normal = false;
            step = ReadStep::kFacet;
            return true;
        }
        if (frame.next_component < object.components.size()) {
            const Component& component = object.components[frame.next_component];
            if (!part_read_[component.part]) {
                // The object is in a part not read yet: read it, then come back to this component.
                if (!open_part(part_names_[component.part], component.part, step)) {
                    ++frame.next_component;
                    return true;
                }
                return false;
            }
            ++frame.next_component;
            // The component's transform applies first, then its parent's.
            const Transform transform = compose_transforms(component.transform, frame.transform);
            if (!start_object(component.part, component.object_id, transform, component.line, step)) return true;
            continue;
        }
        objects_[frame.object].on_path = false;
        frames_.pop_back();
    }
    return false;
}

}  // namespace

std::unique_ptr<MeshReader> make_3mf_reader(ByteSource& source, std::string_view name) {
    return std::make_unique<ThreeMfReader>(source, name);
}

}  // namespace trimora
