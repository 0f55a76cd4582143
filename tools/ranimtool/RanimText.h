#pragma once
// The readable text form of an RVAN animation file and its conversion in both
// directions. Binary -> text -> binary gives the same bytes.

#include <sstream>
#include <string>
#include <vector>

#include "TextForm.h"

namespace ranimtext
{
struct KeyFrame
{
    float time = 0.0f;
    int32_t visible = 1;
    float position[3] = {0.0f, 0.0f, 0.0f};
    float rotation[3] = {0.0f, 0.0f, 0.0f};
    float scale[3] = {1.0f, 1.0f, 1.0f};
};

struct Object
{
    int32_t type = 0;
    std::string name;
    std::vector<KeyFrame> keys;
};

struct Animation
{
    float duration = 1.0f;
    std::vector<Object> objects;
    std::string trailing;
};

// Reads an RVAN file: the magic, counts that fit the file and names of at
// most 255 bytes, as the engine requires.
inline bool FromBinary(const std::string& bytes, Animation* animation, std::string* error)
{
    textform::Reader r(bytes);
    Animation a;
    if (r.Bytes(4) != "RVAN")
    {
        *error = "Keine RVAN-Datei (die ersten vier Zeichen sind nicht \"RVAN\")";
        return false;
    }
    a.duration = r.Float();
    const int32_t numObjects = r.Int();
    if (!r.Ok() || numObjects < 0 || static_cast<size_t>(numObjects) > r.Remaining() / 12)
    {
        *error = "Ungültige Objektanzahl " + std::to_string(numObjects);
        return false;
    }
    for (int32_t i = 0; i < numObjects; ++i)
    {
        Object o;
        o.type = r.Int();
        const int32_t length = r.Int();
        if (r.Ok() && (length < 0 || length > 255))
        {
            *error = "Objekt " + std::to_string(i) + ": Name mit " + std::to_string(length) + " Bytes";
            return false;
        }
        o.name = r.Bytes(static_cast<size_t>(length < 0 ? 0 : length));
        const int32_t numKeys = r.Int();
        if (!r.Ok() || numKeys < 0 || static_cast<size_t>(numKeys) > r.Remaining() / 44)
        {
            *error = "Objekt " + std::to_string(i) + ": Die Datei endet vorzeitig oder die Schlüsselbildanzahl " +
                     std::to_string(numKeys) + " ist ungültig";
            return false;
        }
        o.keys.resize(static_cast<size_t>(numKeys));
        for (KeyFrame& k : o.keys)
        {
            k.time = r.Float();
            k.visible = r.Int();
            for (float& v : k.position)
                v = r.Float();
            for (float& v : k.rotation)
                v = r.Float();
            for (float& v : k.scale)
                v = r.Float();
        }
        a.objects.push_back(std::move(o));
    }
    a.trailing = r.Rest();
    *animation = std::move(a);
    return true;
}

inline std::string ToBinary(const Animation& a)
{
    std::string out = "RVAN";
    textform::PutFloat(&out, a.duration);
    textform::PutInt(&out, static_cast<int32_t>(a.objects.size()));
    for (const Object& o : a.objects)
    {
        textform::PutInt(&out, o.type);
        const size_t length = o.name.size() > 255 ? 255 : o.name.size();
        textform::PutInt(&out, static_cast<int32_t>(length));
        out.append(o.name, 0, length);
        textform::PutInt(&out, static_cast<int32_t>(o.keys.size()));
        for (const KeyFrame& k : o.keys)
        {
            textform::PutFloat(&out, k.time);
            textform::PutInt(&out, k.visible);
            for (float v : k.position)
                textform::PutFloat(&out, v);
            for (float v : k.rotation)
                textform::PutFloat(&out, v);
            for (float v : k.scale)
                textform::PutFloat(&out, v);
        }
    }
    return out + a.trailing;
}

inline std::string ToText(const Animation& a)
{
    using textform::Float;
    std::ostringstream o;
    o << "# Halvoran animation (ranimtool text form)\n";
    o << "duration " << Float(a.duration) << "\n";
    for (size_t i = 0; i < a.objects.size(); ++i)
    {
        const Object& obj = a.objects[i];
        o << "\nobject " << i << " type " << obj.type << " name " << textform::Quote(obj.name) << "\n";
        for (const KeyFrame& k : obj.keys)
        {
            o << "key " << Float(k.time) << " visible " << k.visible << " position";
            for (float v : k.position)
                o << " " << Float(v);
            o << " rotation";
            for (float v : k.rotation)
                o << " " << Float(v);
            o << " scale";
            for (float v : k.scale)
                o << " " << Float(v);
            o << "\n";
        }
    }
    if (!a.trailing.empty())
        o << "\ntrailing " << textform::Hex(a.trailing) << "\n";
    return o.str();
}

// Parses the text form. On failure *error names the line and the fault.
inline bool FromText(const std::string& text, Animation* animation, std::string* error)
{
    Animation a;
    std::istringstream in(text);
    std::string line, message;
    std::vector<std::string> t;
    int lineNo = 0;
    auto fail = [&](const std::string& what) {
        *error = "Zeile " + std::to_string(lineNo) + ": " + what;
        return false;
    };
    while (std::getline(in, line))
    {
        ++lineNo;
        if (!textform::Tokenize(line, &t, &message))
            return fail(message);
        if (t.empty())
            continue;
        const std::string& key = t[0];
        if (key == "duration" && t.size() == 2)
        {
            if (!textform::ParseFloat(t[1], &a.duration, &message))
                return fail(message);
        }
        else if (key == "object")
        {
            int32_t n = 0;
            if (t.size() < 2 || !textform::ParseInt(t[1], &n, &message) || n < 0 ||
                static_cast<size_t>(n) != a.objects.size())
                return fail("Die Objekte werden von 0 an fortlaufend nummeriert");
            if (t.size() != 6 || t[2] != "type" || t[4] != "name")
                return fail("Erwartet: object N type T name \"…\"");
            Object o;
            if (!textform::ParseInt(t[3], &o.type, &message) || !textform::Unquote(t[5], &o.name, &message))
                return fail(message);
            a.objects.push_back(std::move(o));
        }
        else if (key == "key")
        {
            if (a.objects.empty())
                return fail("Ein Schlüsselbild gehört zu einem Objekt: erst object, dann key");
            if (t.size() != 16 || t[2] != "visible" || t[4] != "position" || t[8] != "rotation" || t[12] != "scale")
                return fail("Erwartet: key T visible V position X Y Z rotation X Y Z scale X Y Z");
            KeyFrame k;
            if (!textform::ParseFloat(t[1], &k.time, &message) || !textform::ParseInt(t[3], &k.visible, &message) ||
                !textform::ParseFloats(t, 5, k.position, 3, &message) ||
                !textform::ParseFloats(t, 9, k.rotation, 3, &message) ||
                !textform::ParseFloats(t, 13, k.scale, 3, &message))
                return fail(message);
            a.objects.back().keys.push_back(k);
        }
        else if (key == "trailing" && t.size() == 2)
        {
            if (!textform::ParseHex(t[1], &a.trailing, &message))
                return fail(message);
        }
        else
            return fail("Unbekannte oder unvollständige Angabe: " + line);
    }
    *animation = std::move(a);
    return true;
}

// What the engine draws differently from what the author probably meant, one
// "Warnung: …" line each; true when there is nothing to report.
inline bool Check(const Animation& a, std::string* report)
{
    std::ostringstream o;
    if (!(a.duration > 0.0f))
        o << "Warnung: Die Dauer ist nicht größer als 0; die Animation wird nicht gezeichnet\n";
    for (size_t i = 0; i < a.objects.size(); ++i)
    {
        const Object& obj = a.objects[i];
        if (obj.name.empty())
            o << "Warnung: Objekt " << i << " hat keinen Namen\n";
        if (obj.keys.empty())
            o << "Warnung: Objekt " << i << " hat keine Schlüsselbilder und wird nie gezeichnet\n";
        if (obj.type < 0 || obj.type > 4)
            o << "Warnung: Objekt " << i << " hat den unbekannten Typ " << obj.type << " (wie 0)\n";
        for (size_t k = 0; k < obj.keys.size(); ++k)
            if (!(obj.keys[k].time >= 0.0f && obj.keys[k].time <= 1.0f))
                o << "Warnung: Objekt " << i << ", Schlüsselbild " << k << ": Zeit " << textform::Float(obj.keys[k].time)
                  << " liegt außerhalb von 0 bis 1\n";
    }
    if (!a.trailing.empty())
        o << "Warnung: " << a.trailing.size() << " Bytes nach dem letzten Objekt\n";
    *report = o.str();
    return report->empty();
}
}
