// The binding of the public interface for Python: plain values in and out, the GIL released while
// files are read and written. The package trimora (python/trimora) turns failures into exceptions.
#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include <trimora/trimora.h>

#include <cstring>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace py = pybind11;

namespace {

// A name as os.fsencode gives it: the system's bytes, UTF-8 on Windows.
std::filesystem::path path_of(const std::string& bytes) {
    return std::filesystem::path(std::u8string(bytes.begin(), bytes.end()));
}

trimora::Form form_of(const std::string& word) {
    if (word == "text") return trimora::Form::text;
    if (word == "numb" || word == "number") return trimora::Form::numb;
    if (word == "wire") return trimora::Form::wire;
    if (word == "stl") return trimora::Form::stl;
    throw py::value_error("form must be text, numb, wire or stl, not " + word);
}

// What a run says: facets, problem lines, the failure's number (trimora::Failure), format, unit.
py::tuple outcome(const trimora::ConvertResult& result) {
    std::vector<py::str> problems;
    for (const std::string& line : result.problems) {
        // A name that is not UTF-8 is kept as it is in the line, its bytes escaped.
        problems.emplace_back(py::reinterpret_steal<py::str>(
            PyUnicode_DecodeUTF8(line.data(), static_cast<Py_ssize_t>(line.size()), "surrogateescape")));
    }
    return py::make_tuple(result.facets, problems, static_cast<int>(result.failure), result.format, result.unit);
}

py::tuple convert_into(const std::string& input, const std::string& output, const std::string& form,
                  std::optional<std::string> from_format, bool all_edges) {
    trimora::ConvertOptions options;
    options.form = form_of(form);
    options.all_edges = all_edges;
    options.from_format = std::move(from_format);
    trimora::ConvertResult result;
    {
        py::gil_scoped_release released;
        result = trimora::convert_file(path_of(input), path_of(output), options);
    }
    return outcome(result);
}

using Doubles = py::array_t<double, py::array::c_style | py::array::forcecast>;

py::tuple write_triangles(const std::string& output, const Doubles& triangles, const std::optional<Doubles>& normals,
                const std::string& form, const std::string& name, bool all_edges) {
    if (triangles.ndim() != 3 || triangles.shape(1) != 3 || triangles.shape(2) != 3) {
        throw py::value_error("triangles must have the shape (n, 3, 3)");
    }
    const auto count = static_cast<std::size_t>(triangles.shape(0));
    if (normals && (normals->ndim() != 2 || static_cast<std::size_t>(normals->shape(0)) != count ||
                    normals->shape(1) != 3)) {
        throw py::value_error("normals must have the shape (n, 3) of the triangles' n");
    }
    trimora::WriteOptions options;
    options.form = form_of(form);
    options.all_edges = all_edges;
    options.name = name;
    const double* vertices = triangles.data();
    const double* given = normals ? normals->data() : nullptr;
    trimora::ConvertResult result;
    {
        py::gil_scoped_release released;
        result = trimora::write_facets(path_of(output), vertices, count, given, options);
    }
    return outcome(result);
}

// The triangles as an (n, 3, 3) array that owns the library's vector, without a copy.
py::array array_of(std::vector<double>&& values) {
    auto owned = std::make_unique<std::vector<double>>(std::move(values));
    const auto count = static_cast<py::ssize_t>(owned->size() / 9);
    double* data = owned->data();
    py::capsule free_when_done(owned.get(), [](void* vector) { delete static_cast<std::vector<double>*>(vector); });
    owned.release();
    return py::array_t<double>({count, py::ssize_t{3}, py::ssize_t{3}}, data, free_when_done);
}

py::tuple read_triangles(const std::string& input, std::optional<std::string> from_format) {
    trimora::ReadResult read;
    {
        py::gil_scoped_release released;
        read = trimora::read_facets(path_of(input), from_format);
    }
    return py::make_tuple(array_of(std::move(read.vertices)), outcome(read.result));
}

py::tuple report_of(const std::string& input, std::optional<std::string> from_format) {
    trimora::MeshInfo report;
    {
        py::gil_scoped_release released;
        report = trimora::mesh_report(path_of(input), from_format);
    }
    py::object json = py::reinterpret_steal<py::str>(
        PyUnicode_DecodeUTF8(report.json.data(), static_cast<Py_ssize_t>(report.json.size()), "surrogateescape"));
    return py::make_tuple(json, outcome(report.result));
}

}  // namespace

PYBIND11_MODULE(_trimora, module) {
    module.doc() = "The C++ core of trimora; use the package trimora, which raises its failures.";
    module.def("convert", &convert_into, py::arg("input"), py::arg("output"), py::arg("form"), py::arg("from_format"),
               py::arg("all_edges"),
               "Converts input into output as the tool does: (facets, problems, failure, format, unit).");
    module.def("write", &write_triangles, py::arg("output"), py::arg("triangles"), py::arg("normals"), py::arg("form"),
               py::arg("name"), py::arg("all_edges"),
               "Writes (n, 3, 3) triangles as the tool writes the same facets: (facets, problems, failure, "
               "format, unit).");
    module.def("read", &read_triangles, py::arg("input"), py::arg("from_format"),
               "The triangles of a mesh file as an (n, 3, 3) array, and (facets, problems, failure, format, unit).");
    module.def("info", &report_of, py::arg("input"), py::arg("from_format"),
               "The tool's --info --json line of a mesh file (empty without figures), and (facets, problems, "
               "failure, format, unit).");
    module.def("version", [] { return std::string(trimora::version()); }, "The library's version, as \"1.3\".");
}
