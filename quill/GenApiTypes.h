// Enumerations and list types of the feature interface (namespace GenApi).
#pragma once

#include <vector>

#include "quill/GenICam.h"

namespace GenApi {

enum EAccessMode { NI = 0, NA = 1, WO = 2, RO = 3, RW = 4, _UndefinedAccesMode };

enum EVisibility { Beginner = 0, Expert = 1, Guru = 2, Invisible = 3 };

enum EInterfaceType {
    intfIValue,
    intfIBase,
    intfIInteger,
    intfIBoolean,
    intfICommand,
    intfIFloat,
    intfIString,
    intfIRegister,
    intfICategory,
    intfIEnumeration,
    intfIEnumEntry,
    intfIPort
};

class IBase;
class INode;
class IValue;
class INodeMap;

typedef std::vector<INode*> node_vector;
typedef node_vector NodeList_t;
typedef std::vector<IValue*> FeatureList_t;
typedef GenICam::gcstring_vector StringList_t;

inline const char* AccessModeName(EAccessMode mode) {
    switch (mode) {
        case NI:
            return "NI";
        case NA:
            return "NA";
        case WO:
            return "WO";
        case RO:
            return "RO";
        case RW:
            return "RW";
        default:
            return "undefined";
    }
}

inline const char* VisibilityName(EVisibility visibility) {
    switch (visibility) {
        case Beginner:
            return "Beginner";
        case Expert:
            return "Expert";
        case Guru:
            return "Guru";
        default:
            return "Invisible";
    }
}

}  // namespace GenApi
