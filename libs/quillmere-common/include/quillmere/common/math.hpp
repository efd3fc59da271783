#pragma once

// Plain math values shared by the records and the baker. They hold what the
// archive stores, bit for bit: nothing is normalised or checked.

namespace quillmere_common::math {

struct Vector3 {
    float x = 0.0F;
    float y = 0.0F;
    float z = 0.0F;

    friend bool operator==(const Vector3&, const Vector3&) = default;
};

// Scalar part first, as stored.
struct Quaternion {
    float w = 0.0F;
    float x = 0.0F;
    float y = 0.0F;
    float z = 0.0F;

    friend bool operator==(const Quaternion&, const Quaternion&) = default;
};

struct Plane {
    Vector3 normal;
    float d = 0.0F;

    friend bool operator==(const Plane&, const Plane&) = default;
};

struct Sphere {
    Vector3 center;
    float radius = 0.0F;

    friend bool operator==(const Sphere&, const Sphere&) = default;
};

}  // namespace quillmere_common::math
