#pragma once
// The readable text form of an RVM model file and its conversion in both
// directions. Binary -> text -> binary gives the same bytes.

#include <sstream>
#include <string>
#include <vector>

#include "TextForm.h"

namespace rvmtext
{
struct Material
{
    int32_t transparent = 0;
    float power = 0.0f;
    float color[4] = {1.0f, 1.0f, 1.0f, 1.0f};
    float specular[4] = {0.0f, 0.0f, 0.0f, 0.0f};
    std::string texture;
    // The stored name length when it is negative (no texture either way).
    int32_t negativeLength = 0;
};

struct Vertex
{
    float x = 0, y = 0, z = 0, u = 0, v = 0;
};

struct Triangle
{
    uint16_t index[3] = {0, 0, 0};
    int32_t material = 0;
};

struct Model
{
    uint8_t version = 0;
    std::vector<Material> materials;
    std::vector<Vertex> vertices;
    std::vector<Triangle> triangles;
    std::string trailing;
};

// Reads the structure of an RVM file: the magic, counts that fit the file and
// names of at most 255 bytes. Indices are kept as they are (see Check).
inline bool FromBinary(const std::string& bytes, Model* model, std::string* error)
{
    textform::Reader r(bytes);
    Model m;
    const std::string magic = r.Bytes(3);
    if (magic != "RVM")
    {
        *error = "Keine RVM-Datei (die ersten drei Zeichen sind nicht \"RVM\")";
        return false;
    }
    r.Take(&m.version, 1);
    const int32_t numMaterials = r.Int();
    if (!r.Ok() || numMaterials < 0 || static_cast<size_t>(numMaterials) > r.Remaining() / 44)
    {
        *error = "Ungültige Materialanzahl " + std::to_string(numMaterials);
        return false;
    }
    for (int32_t i = 0; i < numMaterials; ++i)
    {
        Material mat;
        mat.transparent = r.Int();
        mat.power = r.Float();
        for (float& c : mat.color)
            c = r.Float();
        for (float& c : mat.specular)
            c = r.Float();
        const int32_t length = r.Int();
        if (length > 255)
        {
            *error = "Material " + std::to_string(i) + ": Texturname mit " + std::to_string(length) + " Bytes";
            return false;
        }
        if (length > 0)
            mat.texture = r.Bytes(static_cast<size_t>(length));
        else
            mat.negativeLength = length;
        if (!r.Ok())
        {
            *error = "Die Datei endet im Material " + std::to_string(i);
            return false;
        }
        m.materials.push_back(mat);
    }
    const int32_t numVertices = r.Int();
    if (!r.Ok() || numVertices < 0 || static_cast<size_t>(numVertices) > r.Remaining() / 20)
    {
        *error = "Ungültige Vertexanzahl " + std::to_string(numVertices);
        return false;
    }
    m.vertices.resize(static_cast<size_t>(numVertices));
    for (Vertex& v : m.vertices)
    {
        v.x = r.Float();
        v.y = r.Float();
        v.z = r.Float();
        v.u = r.Float();
        v.v = r.Float();
    }
    const int32_t numTriangles = r.Int();
    if (!r.Ok() || numTriangles < 0 || static_cast<size_t>(numTriangles) > r.Remaining() / 10)
    {
        *error = "Ungültige Dreiecksanzahl " + std::to_string(numTriangles);
        return false;
    }
    m.triangles.resize(static_cast<size_t>(numTriangles));
    for (Triangle& t : m.triangles)
    {
        for (uint16_t& index : t.index)
            index = r.Short();
        t.material = r.Int();
    }
    m.trailing = r.Rest();
    *model = std::move(m);
    return true;
}

inline std::string ToBinary(const Model& m)
{
    std::string out = "RVM";
    out += static_cast<char>(m.version);
    textform::PutInt(&out, static_cast<int32_t>(m.materials.size()));
    for (const Material& mat : m.materials)
    {
        textform::PutInt(&out, mat.transparent);
        textform::PutFloat(&out, mat.power);
        for (float c : mat.color)
            textform::PutFloat(&out, c);
        for (float c : mat.specular)
            textform::PutFloat(&out, c);
        const size_t length = mat.texture.size() > 255 ? 255 : mat.texture.size();
        textform::PutInt(&out, length ? static_cast<int32_t>(length) : mat.negativeLength);
        out.append(mat.texture, 0, length);
    }
    textform::PutInt(&out, static_cast<int32_t>(m.vertices.size()));
    for (const Vertex& v : m.vertices)
    {
        textform::PutFloat(&out, v.x);
        textform::PutFloat(&out, v.y);
        textform::PutFloat(&out, v.z);
        textform::PutFloat(&out, v.u);
        textform::PutFloat(&out, v.v);
    }
    textform::PutInt(&out, static_cast<int32_t>(m.triangles.size()));
    for (const Triangle& t : m.triangles)
    {
        for (uint16_t index : t.index)
            textform::PutShort(&out, index);
        textform::PutInt(&out, t.material);
    }
    return out + m.trailing;
}

inline std::string ToText(const Model& m)
{
    using textform::Float;
    std::ostringstream o;
    o << "# Halvoran model (rvmtool text form)\n";
    o << "version " << static_cast<int>(m.version) << "\n";
    if (!m.materials.empty())
        o << "\n";
    for (size_t i = 0; i < m.materials.size(); ++i)
    {
        const Material& mat = m.materials[i];
        o << "material " << i << " transparent " << mat.transparent << " power " << Float(mat.power) << " color";
        for (float c : mat.color)
            o << " " << Float(c);
        o << " specular";
        for (float c : mat.specular)
            o << " " << Float(c);
        o << " texture ";
        if (mat.texture.empty() && mat.negativeLength < 0)
            o << mat.negativeLength;
        else
            o << textform::Quote(mat.texture);
        o << "\n";
    }
    if (!m.vertices.empty())
        o << "\n";
    for (size_t i = 0; i < m.vertices.size(); ++i)
    {
        const Vertex& v = m.vertices[i];
        o << "vertex " << i << " " << Float(v.x) << " " << Float(v.y) << " " << Float(v.z) << " uv " << Float(v.u)
          << " " << Float(v.v) << "\n";
    }
    if (!m.triangles.empty())
        o << "\n";
    for (const Triangle& t : m.triangles)
        o << "triangle " << t.index[0] << " " << t.index[1] << " " << t.index[2] << " material " << t.material << "\n";
    if (!m.trailing.empty())
        o << "\ntrailing " << textform::Hex(m.trailing) << "\n";
    return o.str();
}

// Parses the text form. On failure *error names the line and the fault.
inline bool FromText(const std::string& text, Model* model, std::string* error)
{
    Model m;
    std::istringstream in(text);
    std::string line, message;
    std::vector<std::string> t;
    int lineNo = 0;
    auto fail = [&](const std::string& what) {
        *error = "Zeile " + std::to_string(lineNo) + ": " + what;
        return false;
    };
    auto numbered = [&](size_t expected) {
        int32_t n = 0;
        return t.size() > 1 && textform::ParseInt(t[1], &n, &message) && n >= 0 && static_cast<size_t>(n) == expected;
    };
    while (std::getline(in, line))
    {
        ++lineNo;
        if (!textform::Tokenize(line, &t, &message))
            return fail(message);
        if (t.empty())
            continue;
        const std::string& key = t[0];
        if (key == "version" && t.size() == 2)
        {
            int32_t v = 0;
            if (!textform::ParseInt(t[1], &v, &message) || v < 0 || v > 255)
                return fail("Version von 0 bis 255 erwartet");
            m.version = static_cast<uint8_t>(v);
        }
        else if (key == "material")
        {
            if (!numbered(m.materials.size()))
                return fail("Die Materialien werden von 0 an fortlaufend nummeriert");
            if (t.size() != 18 || t[2] != "transparent" || t[4] != "power" || t[6] != "color" || t[11] != "specular" ||
                t[16] != "texture")
                return fail("Erwartet: material N transparent F power P color R G B A specular R G B A texture \"…\"");
            Material mat;
            if (!textform::ParseInt(t[3], &mat.transparent, &message) || !textform::ParseFloat(t[5], &mat.power, &message) ||
                !textform::ParseFloats(t, 7, mat.color, 4, &message) ||
                !textform::ParseFloats(t, 12, mat.specular, 4, &message))
                return fail(message);
            if (textform::IsQuoted(t[17]))
            {
                if (!textform::Unquote(t[17], &mat.texture, &message))
                    return fail(message);
            }
            else if (!textform::ParseInt(t[17], &mat.negativeLength, &message) || mat.negativeLength > 0)
                return fail("Texturname in Anführungszeichen oder eine Länge <= 0 erwartet");
            m.materials.push_back(mat);
        }
        else if (key == "vertex")
        {
            if (!numbered(m.vertices.size()))
                return fail("Die Vertices werden von 0 an fortlaufend nummeriert");
            if (t.size() != 8 || t[5] != "uv")
                return fail("Erwartet: vertex N X Y Z uv U V");
            float xyz[3], uv[2];
            if (!textform::ParseFloats(t, 2, xyz, 3, &message) || !textform::ParseFloats(t, 6, uv, 2, &message))
                return fail(message);
            m.vertices.push_back(Vertex{xyz[0], xyz[1], xyz[2], uv[0], uv[1]});
        }
        else if (key == "triangle")
        {
            if (t.size() != 6 || t[4] != "material")
                return fail("Erwartet: triangle I0 I1 I2 material M");
            Triangle tri;
            for (int k = 0; k < 3; ++k)
            {
                int32_t index = 0;
                if (!textform::ParseInt(t[1 + static_cast<size_t>(k)], &index, &message) || index < 0 || index > 65535)
                    return fail("Vertexindex von 0 bis 65535 erwartet: " + t[1 + static_cast<size_t>(k)]);
                tri.index[k] = static_cast<uint16_t>(index);
            }
            if (!textform::ParseInt(t[5], &tri.material, &message))
                return fail(message);
            m.triangles.push_back(tri);
        }
        else if (key == "trailing" && t.size() == 2)
        {
            if (!textform::ParseHex(t[1], &m.trailing, &message))
                return fail(message);
        }
        else
            return fail("Unbekannte oder unvollständige Angabe: " + line);
    }
    *model = std::move(m);
    return true;
}

// Everything the engine refuses ("Fehler: …") or loads in a way the author
// probably did not mean ("Warnung: …"), one line each; true when nothing.
inline bool Check(const Model& m, std::string* report)
{
    std::ostringstream o;
    if (m.version != 0)
        o << "Fehler: Version " << static_cast<int>(m.version) << " wird nicht unterstützt\n";
    for (size_t i = 0; i < m.triangles.size(); ++i)
    {
        const Triangle& t = m.triangles[i];
        for (uint16_t index : t.index)
            if (index >= m.vertices.size())
                o << "Fehler: Dreieck " << i << " verweist auf den Vertex " << index << " (es gibt " << m.vertices.size()
                  << ")\n";
        if (t.material < 0 || static_cast<size_t>(t.material) >= m.materials.size())
            o << "Fehler: Dreieck " << i << " verweist auf das Material " << t.material << " (es gibt "
              << m.materials.size() << ")\n";
    }
    // Each material is drawn from one run of triangles only: the last one.
    std::vector<int> runs(m.materials.size(), 0);
    for (size_t i = 0; i < m.triangles.size(); ++i)
    {
        const int32_t mat = m.triangles[i].material;
        if ((i == 0 || m.triangles[i - 1].material != mat) && mat >= 0 && static_cast<size_t>(mat) < runs.size())
            ++runs[static_cast<size_t>(mat)];
    }
    for (size_t i = 0; i < runs.size(); ++i)
        if (runs[i] > 1)
            o << "Warnung: Die Dreiecke des Materials " << i << " stehen in " << runs[i]
              << " Abschnitten; gezeichnet wird nur der letzte\n";
    if (m.vertices.size() > 65536)
        o << "Warnung: Mehr als 65536 Vertices; 16-bit-Indizes erreichen nicht alle\n";
    if (!m.trailing.empty())
        o << "Warnung: " << m.trailing.size() << " Bytes nach dem letzten Dreieck\n";
    *report = o.str();
    return report->empty();
}
}
