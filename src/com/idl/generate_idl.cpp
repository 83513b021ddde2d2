// Writes the automation interface of KivClass as IDL, from the interface table as
// `novaflux describe` prints it: the type library, the three enumerations, the dual interface
// _KivClass in interface order and the class. widl compiles the result into the type library
// and the C++ header that the COM server implements, so names, DISPIDs, types and member order
// have one source.
#include <fstream>
#include <iostream>
#include <sstream>
#include <stdexcept>
#include <string>

#include <nlohmann/json.hpp>

#include "novaflux/kiv.h"

namespace {

using nlohmann::json;

std::string guid(const json& item) {
  std::string g = item.at("guid").get<std::string>();
  if (g.size() > 2 && g.front() == '{' && g.back() == '}') g = g.substr(1, g.size() - 2);
  return g;
}

std::string hex(long long value) {
  std::ostringstream s;
  s << "0x" << std::hex << std::uppercase << static_cast<unsigned long>(static_cast<uint32_t>(value));
  return s.str();
}

// The automation type of a property or parameter type of the table.
std::string idl_type(const std::string& type) {
  if (type == "Double") return "double";
  if (type == "Single") return "float";
  if (type == "Integer") return "short";
  if (type == "Boolean") return "VARIANT_BOOL";
  if (type == "Variant") return "VARIANT";
  if (type == "String") return "BSTR";
  if (type == "Modelall" || type == "SeriesList") return type;
  throw std::runtime_error("no automation type for \"" + type + "\"");
}

void write_enumerations(std::ostream& out, const json& table) {
  for (const auto& e : table.at("enumerations")) {
    const std::string name = e.at("name").get<std::string>();
    out << "  typedef [uuid(" << guid(e) << "), version(1.0)]\n  enum " << name << " {\n";
    const auto& members = e.at("members");
    for (size_t i = 0; i < members.size(); ++i)
      out << "    " << members[i].at("name").get<std::string>() << " = "
          << members[i].at("value").get<long long>() << (i + 1 < members.size() ? ",\n" : "\n");
    out << "  } " << name << ";\n\n";
  }
}

void write_property(std::ostream& out, const json& p) {
  const std::string name = p.at("name").get<std::string>();
  const std::string type = idl_type(p.at("type").get<std::string>());
  const std::string id = "id(" + hex(p.at("dispid").get<long long>()) + ")";
  const std::string get = "    [" + id + ", propget] HRESULT " + name + "([out, retval] " + type + "* value);\n";
  const std::string put = "    [" + id + ", propput] HRESULT " + name + "([in] " + type + " value);\n";
  // A data property is get then put (then put-reference for a variant); an explicit one put
  // then get.
  if (p.at("kind").get<std::string>() == "explicit") {
    out << put << get;
    return;
  }
  out << get << put;
  if (type == "VARIANT")
    out << "    [" << id << ", propputref] HRESULT " << name << "([in] VARIANT value);\n";
}

void write_method(std::ostream& out, const json& m) {
  out << "    [id(" << hex(m.at("dispid").get<long long>()) << ")] HRESULT "
      << m.at("name").get<std::string>() << "(";
  bool first = true;
  for (const auto& param : m.at("parameters")) {
    out << (first ? "" : ", ") << (param.at("byReference").get<bool>() ? "[in, out] " : "[in] ")
        << idl_type(param.at("type").get<std::string>()) << (param.at("byReference").get<bool>() ? "* " : " ")
        << param.at("name").get<std::string>();
    first = false;
  }
  if (!m.at("result").is_null())
    out << (first ? "" : ", ") << "[out, retval] " << idl_type(m.at("result").get<std::string>()) << "* result";
  out << ");\n";
}

void write_idl(std::ostream& out, const json& table) {
  const auto& lib = table.at("typeLibrary");
  const auto& cls = table.at("class");
  const auto& itf = table.at("interface");
  const std::string version = lib.at("version").get<std::string>();
  out << "// Generated from the interface table by novaflux_idl; do not edit.\n"
      << "import \"oaidl.idl\";\n\n"
      << "[\n  uuid(" << guid(lib) << "),\n  version(" << version << "),\n  lcid("
      << lib.at("locale").get<std::string>() << ")\n]\n"
      << "library " << lib.at("name").get<std::string>() << "\n{\n"
      << "  importlib(\"stdole2.tlb\");\n\n";
  write_enumerations(out, table);
  out << "  [\n    odl,\n    uuid(" << guid(itf) << "),\n    version(" << version
      << "),\n    hidden,\n    dual,\n    nonextensible,\n    oleautomation\n  ]\n"
      << "  interface " << itf.at("name").get<std::string>() << " : IDispatch {\n";
  for (const auto& p : table.at("properties")) write_property(out, p);
  for (const auto& m : table.at("methods")) write_method(out, m);
  out << "  };\n\n"
      << "  [\n    uuid(" << guid(cls) << "),\n    version(" << version << ")\n  ]\n"
      << "  coclass " << cls.at("name").get<std::string>() << " {\n"
      << "    [default] interface " << itf.at("name").get<std::string>() << ";\n  };\n};\n";
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "usage: novaflux_idl OUTPUT.idl\n";
    return 2;
  }
  try {
    std::ostringstream text;
    write_idl(text, json::parse(kiv_describe()));
    std::ofstream out(argv[1], std::ios::binary);
    out << text.str();
    if (!out.flush()) throw std::runtime_error(std::string("cannot write ") + argv[1]);
  } catch (const std::exception& e) {
    std::cerr << "novaflux_idl: " << e.what() << "\n";
    return 1;
  }
  return 0;
}
