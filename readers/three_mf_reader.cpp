// 3MF: the model of a zip package, its build items with their objects, components and transforms.
#include <algorithm>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
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
// The most facets a package may give: that many, or that many for each
// triangle it stores, whichever is more.
constexpr std::uint64_t kMostFacets = 10000000;
constexpr std::uint64_t kFacetsPerStored = 1000;
constexpr const char* kUnits[] = {"micron", "millimeter", "centimeter", "inch", "foot", "meter"};

// A triangle by the places of its vertices in the one vertex table of the package.
struct Triangle {
    std::uint32_t vertices[3];
};

constexpr std::size_t kUnresolved = static_cast<std::size_t>(-1);

// A component, or a build item: an object of a part placed by a transform.
struct Component {
    std::uint32_t part;  // the model part of the object
    std::uint64_t object_id;
    Transform transform;
    std::uint64_t line;
    std::size_t object = kUnresolved;  // its place in objects_, once the parts are read
};

// How far the facets an object gives are counted.
enum class Count : unsigned char { kNotYet, kCounting, kDone };

struct Object {
    std::size_t first_triangle = 0;
    std::size_t triangle_count = 0;
    std::vector<Component> components;
    bool on_path = false;  // being given: a component that reaches it again closes a cycle
    Count count = Count::kNotYet;
    std::uint64_t facets = 0;  // given with its components, once counted
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
    bool mirrors = false;  // the transform's determinant is negative
    std::size_t next_triangle = 0;
    std::size_t next_component = 0;
};

// Whether the transform mirrors: its 3x3 part has a negative determinant.
bool mirrors(const Transform& t) {
    const auto& m = t.m;
    const double determinant = m[0][0] * (m[1][1] * m[2][2] - m[1][2] * m[2][1]) -
                               m[0][1] * (m[1][0] * m[2][2] - m[1][2] * m[2][0]) +
                               m[0][2] * (m[1][0] * m[2][1] - m[1][1] * m[2][0]);
    return !t.identity && determinant < 0;
}

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

// a + b, held at the cap: counts only need to be told apart up to the limit.
std::uint64_t add_capped(std::uint64_t a, std::uint64_t b) {
    constexpr std::uint64_t kCap = std::uint64_t{1} << 62;
    return a >= kCap || b >= kCap - a ? kCap : a + b;
}

class ThreeMfReader final : public MeshReader {
public:
    ThreeMfReader(ByteSource& source, std::string_view name) : MeshReader(source, name, "3mf") {
        unit_ = "millimeter";
    }

    ReadStep next() override;

private:
    // The package is read whole, part after part, before the build is counted and then given.
    enum class Phase { kOpen, kRead, kGive, kDone };

    // Reads the package and opens its root model part; false with step set when it cannot.
    bool open_package(ReadStep& step);
    // Reads the whole source into archive_: allocated once by the size the
    // source tells, else grown as the bytes arrive. The bytes are what the
    // reads give, whether the file grew or shrank since its size was told.
    void read_archive();
    // The name of the root model part from the package relationships, or the usual name.
    std::string model_name();
    // Opens the part of that index as current_; false with step set when it cannot.
    bool open_part(std::uint32_t index, ReadStep& step);
    // The index of a part by its entry name, a new one when it is not known.
    std::uint32_t part_index(const std::string& name);
    // Handles the next event of the part; true with step set when it gives a problem.
    bool read_event(ModelPart& part, ReadStep& step);
    bool start_element(ModelPart& part, ReadStep& step);
    bool read_vertex(ModelPart& part, ReadStep& step);
    bool read_triangle(ModelPart& part, ReadStep& step);
    // Reads objectid, transform and a path of another part; false with step set on a problem.
    bool read_reference(ModelPart& part, Component& reference, ReadStep& step);
    // Finds the object of each item and component, and counts the facets
    // the build gives; false with step set when they are more than the limit.
    bool count_build(ReadStep& step);
    // The facets an object gives with its components, each object counted once.
    std::uint64_t count_object(std::size_t object);
    // Gives the next facet or problem of the item being given; false when it is done.
    bool continue_item(ReadStep& step);
    // Starts giving the object of the component; false with step set on a problem.
    bool start_object(const Component& component, const Transform& transform, ReadStep& step);

    Phase phase_ = Phase::kOpen;
    bool broken_ = false;  // a part could not be read to its end: what it held is given
    std::vector<unsigned char> archive_;
    ZipArchive zip_;
    std::vector<std::string> part_names_;  // by part index; the root model is 0
    std::unordered_map<std::string, std::uint32_t> part_indices_;
    // Why a part named by a component could not be read, by part index; empty when it was.
    std::vector<std::string> part_problems_;
    std::uint32_t next_part_ = 1;  // the next part to read after the root
    std::unique_ptr<ModelPart> current_;
    VertexTable vertices_;
    SegmentedArray<Triangle> triangles_;
    std::vector<Object> objects_;
    std::map<std::pair<std::uint32_t, std::uint64_t>, std::size_t> object_index_;
    std::vector<Component> items_;
    std::size_t next_item_ = 0;
    std::vector<Frame> frames_;
};

ReadStep ThreeMfReader::next() {
    ReadStep step;
    if (phase_ == Phase::kOpen) {
        phase_ = Phase::kRead;
        if (!open_package(step)) {
            phase_ = Phase::kDone;
            return step;
        }
    }
    while (phase_ == Phase::kRead) {
        if (current_) {
            if (read_event(*current_, step)) return step;
            continue;
        }
        if (!broken_ && next_part_ < part_names_.size()) {
            // A part that cannot be read is told where a component needs it.
            const std::uint32_t index = next_part_++;
            if (!open_part(index, step)) part_problems_[index] = problem_;
            continue;
        }
        phase_ = Phase::kGive;
        if (!count_build(step)) {
            phase_ = Phase::kDone;
            read_to_end_ = false;
            return step;
        }
    }
    while (phase_ == Phase::kGive) {
        if (continue_item(step)) return step;
        if (next_item_ == items_.size()) {
            phase_ = Phase::kDone;
            read_to_end_ = !broken_;
            break;
        }
        const Component& item = items_[next_item_++];
        if (!start_object(item, item.transform, step)) return step;
    }
    return ReadStep::kEnd;
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
    return open_part(part_index(model), step);
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
    const auto [place, added] = part_indices_.try_emplace(name, static_cast<std::uint32_t>(part_names_.size()));
    if (added) {
        part_names_.push_back(name);
        part_problems_.emplace_back();
    }
    return place->second;
}

bool ThreeMfReader::open_part(std::uint32_t index, ReadStep& step) {
    const std::string& name = part_names_[index];
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
    current_ = std::make_unique<ModelPart>(*entry, start, available, index);
    return true;
}

bool ThreeMfReader::read_event(ModelPart& part, ReadStep& step) {
    switch (part.xml.next()) {
        case XmlReader::Event::kStart: return start_element(part, step);
        case XmlReader::Event::kEnd:
            if (!part.contexts.empty()) part.contexts.pop_back();
            return false;
        case XmlReader::Event::kDone: current_.reset(); return false;
        case XmlReader::Event::kError: break;
    }
    // A broken part ends the reading: what was read up to there is given.
    if (part.source.failure() != SourceFailure::kNone) {
        step = report_failure(part.source);
    } else {
        step = report(part.xml.line(), message::kXmlError, part.xml.error());
    }
    broken_ = true;
    current_.reset();
    return true;
}

bool ThreeMfReader::start_element(ModelPart& part, ReadStep& step) {
    const Context parent = part.contexts.empty() ? Context::kOther : part.contexts.back();
    const std::string_view element = part.xml.local_name();
    const bool root = part.index == 0;
    Context context = Context::kOther;
    if (part.xml.depth() == 1 && element == "model") {
        context = Context::kModel;
        const std::string_view* unit = part.xml.attribute("unit");
        if (unit != nullptr && root) {
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
    // Items of other parts are not the package's build.
    const bool component = parent == Context::kComponents && element == "component";
    if (component || (parent == Context::kBuild && element == "item" && root)) {
        Component reference{part.index, 0, identity_transform(), part.xml.line()};
        if (!read_reference(part, reference, step)) return true;
        (component ? objects_[part.object].components : items_).push_back(reference);
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

bool ThreeMfReader::read_reference(ModelPart& part, Component& reference, ReadStep& step) {
    const std::string_view element = part.xml.local_name();
    const std::string_view* object_id = part.xml.attribute("objectid");
    std::int64_t value = 0;
    if (object_id == nullptr || !read_whole_integer(*object_id, value) || value < 0) {
        step = object_id == nullptr ? report(part.xml.line(), message::kMissingAttribute, "objectid", element)
                                    : report(part.xml.line(), message::kBadAttribute, "objectid", *object_id, element);
        return false;
    }
    reference.object_id = static_cast<std::uint64_t>(value);
    const std::string_view* text = part.xml.attribute("transform");
    if (text != nullptr && !parse_transform(*text, reference.transform)) {
        step = report(part.xml.line(), message::kBadTransform, *text);
        return false;
    }
    // The production extension places objects in other parts, named by a path of any prefix.
    for (const XmlAttribute& attribute : part.xml.attributes()) {
        const std::size_t colon = attribute.name.find(':');
        if (colon != std::string_view::npos && attribute.name.substr(colon + 1) == "path" &&
            attribute.name.substr(0, colon) != "xmlns") {
            reference.part = part_index(entry_name(attribute.value));
        }
    }
    return true;
}

bool ThreeMfReader::count_build(ReadStep& step) {
    const auto resolve = [this](Component& reference) {
        const auto found = object_index_.find({reference.part, reference.object_id});
        reference.object = found == object_index_.end() ? kUnresolved : found->second;
    };
    for (Object& object : objects_) {
        for (Component& component : object.components) resolve(component);
    }
    std::uint64_t total = 0;
    for (Component& item : items_) {
        resolve(item);
        if (item.object != kUnresolved) total = add_capped(total, count_object(item.object));
    }
    // Shared components are instancing; a build that gives far more than
    // the package stores is a bomb, refused before anything is written.
    const std::uint64_t limit = std::max<std::uint64_t>(kMostFacets, std::uint64_t{kFacetsPerStored} * triangles_.size());
    if (total <= limit) return true;
    step = report(0, message::kTooManyFacets, limit);
    return false;
}

std::uint64_t ThreeMfReader::count_object(std::size_t first) {
    // Depth first without recursion: components may nest as deep as the objects go.
    struct Place {
        std::size_t object;
        std::size_t next_component;
    };
    std::vector<Place> stack{{first, 0}};
    if (objects_[first].count == Count::kDone) return objects_[first].facets;
    objects_[first].count = Count::kCounting;
    objects_[first].facets = objects_[first].triangle_count;
    while (!stack.empty()) {
        Place& place = stack.back();
        Object& object = objects_[place.object];
        if (place.next_component == object.components.size()) {
            object.count = Count::kDone;
            const std::uint64_t facets = object.facets;
            stack.pop_back();
            if (!stack.empty()) {
                Object& parent = objects_[stack.back().object];
                parent.facets = add_capped(parent.facets, facets);
            }
            continue;
        }
        const std::size_t target = object.components[place.next_component++].object;
        // Objects not found and cycles give nothing: they are told when given.
        if (target == kUnresolved || objects_[target].count == Count::kCounting) continue;
        if (objects_[target].count == Count::kDone) {
            object.facets = add_capped(object.facets, objects_[target].facets);
            continue;
        }
        objects_[target].count = Count::kCounting;
        objects_[target].facets = objects_[target].triangle_count;
        stack.push_back({target, 0});
    }
    return objects_[first].facets;
}

bool ThreeMfReader::start_object(const Component& component, const Transform& transform, ReadStep& step) {
    if (component.object == kUnresolved) {
        const std::string& part_problem = part_problems_[component.part];
        if (!part_problem.empty()) {
            problem_ = part_problem;
            step = ReadStep::kProblem;
        } else {
            step = report(component.line, message::kObjectNotFound, component.object_id);
        }
        return false;
    }
    Object& object = objects_[component.object];
    if (object.on_path) {
        step = report(component.line, message::kComponentCycle, component.object_id);
        return false;
    }
    object.on_path = true;
    frames_.push_back({component.object, transform, mirrors(transform)});
    return true;
}

bool ThreeMfReader::continue_item(ReadStep& step) {
    while (!frames_.empty()) {
        Frame& frame = frames_.back();
        const Object& object = objects_[frame.object];
        if (frame.next_triangle < object.triangle_count) {
            const Triangle& triangle = triangles_[object.first_triangle + frame.next_triangle++];
            // A mirror turns a surface inside out: its triangles are given in
            // reverse order, so that they still face outward and the volume keeps its sign.
            for (int i = 0; i < 3; ++i) {
                const std::uint32_t vertex = triangle.vertices[frame.mirrors ? 2 - i : i];
                apply_transform(frame.transform, vertices_[vertex].coordinates, facet_.vertices[i]);
            }
            facet_.has_normal = false;
            step = ReadStep::kFacet;
            return true;
        }
        if (frame.next_component < object.components.size()) {
            const Component& component = object.components[frame.next_component++];
            // The component's transform applies first, then its parent's.
            const Transform transform = compose_transforms(component.transform, frame.transform);
            if (!start_object(component, transform, step)) return true;
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
