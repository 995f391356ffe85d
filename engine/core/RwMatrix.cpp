#include "engine/core/RwMatrix.h"

#include <cmath>

namespace {

constexpr RwReal kOrthoTolerance = 1e-4f;
constexpr RwReal kDegToRad = 3.14159265358979323846f / 180.0f;

RwV3d Add(const RwV3d& a, const RwV3d& b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
RwV3d Scale(const RwV3d& a, RwReal s) { return {a.x * s, a.y * s, a.z * s}; }

// v x m without translation.
RwV3d Rotate(const RwV3d& v, const RwMatrix& m)
{
    return Add(Add(Scale(m.right, v.x), Scale(m.up, v.y)), Scale(m.at, v.z));
}

RwMatrix Identity()
{
    RwMatrix m{};
    m.right = {1, 0, 0};
    m.up = {0, 1, 0};
    m.at = {0, 0, 1};
    m.pos = {0, 0, 0};
    m.flags = rwMatrixTypeOrthonormal | rwMatrixInternalIdentity;
    return m;
}

RwMatrix Product(const RwMatrix& a, const RwMatrix& b)
{
    RwMatrix out{};
    out.right = Rotate(a.right, b);
    out.up = Rotate(a.up, b);
    out.at = Rotate(a.at, b);
    out.pos = Add(Rotate(a.pos, b), b.pos);
    // A product of rigid transforms stays rigid; anything else must be re-examined.
    out.flags = (a.flags & b.flags & rwMatrixTypeOrthonormal);
    return out;
}

void Combine(RwMatrix* m, const RwMatrix& t, RwOpCombineType combine)
{
    switch (combine) {
    case rwCombinePreMultiply: *m = Product(t, *m); break;
    case rwCombinePostMultiply: *m = Product(*m, t); break;
    default: *m = t; break;
    }
}

bool NearlyOrthonormal(const RwMatrix& m)
{
    const RwReal checks[] = {
        RwV3dDotProduct(&m.right, &m.right) - 1, RwV3dDotProduct(&m.up, &m.up) - 1,
        RwV3dDotProduct(&m.at, &m.at) - 1,       RwV3dDotProduct(&m.right, &m.up),
        RwV3dDotProduct(&m.right, &m.at),        RwV3dDotProduct(&m.up, &m.at),
    };
    for (RwReal c : checks) {
        if (std::fabs(c) > kOrthoTolerance)
            return false;
    }
    return true;
}

}  // namespace

RwMatrix* RwMatrixCreate()
{
    return new RwMatrix(Identity());
}

RwBool RwMatrixDestroy(RwMatrix* matrix)
{
    delete matrix;
    return true;
}

RwMatrix* RwMatrixSetIdentity(RwMatrix* matrix)
{
    *matrix = Identity();
    return matrix;
}

RwBool RwMatrixIsIdentity(const RwMatrix* m, RwReal tolerance)
{
    const RwReal v[12] = {m->right.x - 1, m->right.y, m->right.z, m->up.x, m->up.y - 1, m->up.z,
                          m->at.x,        m->at.y,    m->at.z - 1, m->pos.x, m->pos.y, m->pos.z};
    for (RwReal x : v) {
        if (std::fabs(x) > tolerance)
            return false;
    }
    return true;
}

RwMatrix* RwMatrixCopy(RwMatrix* out, const RwMatrix* in)
{
    *out = *in;
    return out;
}

RwMatrix* RwMatrixMultiply(RwMatrix* out, const RwMatrix* a, const RwMatrix* b)
{
    *out = Product(*a, *b);
    return out;
}

RwMatrix* RwMatrixInvert(RwMatrix* out, const RwMatrix* in)
{
    const RwV3d& r = in->right;
    const RwV3d& u = in->up;
    const RwV3d& a = in->at;
    // Rows r, u, a; the inverse's columns are the cross products over the determinant.
    RwV3d c0, c1, c2;
    RwV3dCrossProduct(&c0, &u, &a);
    RwV3dCrossProduct(&c1, &a, &r);
    RwV3dCrossProduct(&c2, &r, &u);
    const RwReal det = RwV3dDotProduct(&r, &c0);
    if (std::fabs(det) < 1e-12f)
        return nullptr;
    const RwReal k = 1.0f / det;
    RwMatrix m{};
    m.right = {c0.x * k, c1.x * k, c2.x * k};
    m.up = {c0.y * k, c1.y * k, c2.y * k};
    m.at = {c0.z * k, c1.z * k, c2.z * k};
    const RwV3d p = Rotate(in->pos, m);
    m.pos = {-p.x, -p.y, -p.z};
    m.flags = in->flags & rwMatrixTypeOrthonormal;
    *out = m;
    return out;
}

RwMatrix* RwMatrixRotate(RwMatrix* matrix, const RwV3d* axis, RwReal angle, RwOpCombineType combine)
{
    RwV3d n;
    if (RwV3dNormalize(&n, axis) == 0)
        return nullptr;
    const RwReal rad = angle * kDegToRad;
    const RwReal c = std::cos(rad), s = std::sin(rad), t = 1 - c;
    RwMatrix r = Identity();
    r.flags = rwMatrixTypeOrthonormal;
    // Each row is the image of a basis vector under the right-handed rotation.
    r.right = {t * n.x * n.x + c, t * n.x * n.y + s * n.z, t * n.x * n.z - s * n.y};
    r.up = {t * n.x * n.y - s * n.z, t * n.y * n.y + c, t * n.y * n.z + s * n.x};
    r.at = {t * n.x * n.z + s * n.y, t * n.y * n.z - s * n.x, t * n.z * n.z + c};
    Combine(matrix, r, combine);
    return matrix;
}

RwMatrix* RwMatrixTranslate(RwMatrix* matrix, const RwV3d* translation, RwOpCombineType combine)
{
    RwMatrix t = Identity();
    t.flags = rwMatrixTypeOrthonormal;
    t.pos = *translation;
    Combine(matrix, t, combine);
    return matrix;
}

RwMatrix* RwMatrixScale(RwMatrix* matrix, const RwV3d* scale, RwOpCombineType combine)
{
    RwMatrix t = Identity();
    t.right.x = scale->x;
    t.up.y = scale->y;
    t.at.z = scale->z;
    t.flags = 0;
    Combine(matrix, t, combine);
    return matrix;
}

RwMatrix* RwMatrixTransform(RwMatrix* matrix, const RwMatrix* transform, RwOpCombineType combine)
{
    Combine(matrix, *transform, combine);
    return matrix;
}

RwMatrix* RwMatrixOrthoNormalize(RwMatrix* out, const RwMatrix* in)
{
    RwMatrix m = *in;
    RwV3d at, up, right;
    if (RwV3dNormalize(&at, &m.at) == 0)
        at = {0, 0, 1};
    // Remove at's share from up, then take right from the two.
    const RwReal d = RwV3dDotProduct(&m.up, &at);
    RwV3d u = {m.up.x - at.x * d, m.up.y - at.y * d, m.up.z - at.z * d};
    if (RwV3dNormalize(&up, &u) == 0)
        up = std::fabs(at.y) < 0.9f ? RwV3d{0, 1, 0} : RwV3d{1, 0, 0};
    RwV3dCrossProduct(&right, &up, &at);
    RwV3dNormalize(&right, &right);
    RwV3dCrossProduct(&up, &at, &right);
    m.right = right;
    m.up = up;
    m.at = at;
    m.flags = rwMatrixTypeOrthonormal;
    *out = m;
    return out;
}

void RwMatrixMarkChanged(RwMatrix* matrix)
{
    matrix->flags &= ~RwUInt32(rwMatrixTypeOrthonormal | rwMatrixInternalIdentity);
}

RwMatrix* RwMatrixUpdateFlags(RwMatrix* matrix)
{
    matrix->flags &= ~RwUInt32(rwMatrixTypeOrthonormal | rwMatrixInternalIdentity);
    if (NearlyOrthonormal(*matrix))
        matrix->flags |= rwMatrixTypeOrthonormal;
    if (RwMatrixIsIdentity(matrix, 1e-6f))
        matrix->flags |= rwMatrixInternalIdentity;
    return matrix;
}

RwV3d* RwV3dTransformPoints(RwV3d* out, const RwV3d* in, RwInt32 count, const RwMatrix* matrix)
{
    for (RwInt32 i = 0; i < count; ++i)
        out[i] = Add(Rotate(in[i], *matrix), matrix->pos);
    return out;
}

RwV3d* RwV3dTransformVectors(RwV3d* out, const RwV3d* in, RwInt32 count, const RwMatrix* matrix)
{
    for (RwInt32 i = 0; i < count; ++i)
        out[i] = Rotate(in[i], *matrix);
    return out;
}

RwReal RwV3dLength(const RwV3d* v)
{
    return std::sqrt(v->x * v->x + v->y * v->y + v->z * v->z);
}

RwReal RwV3dNormalize(RwV3d* out, const RwV3d* in)
{
    const RwReal len = RwV3dLength(in);
    if (len <= 0) {
        *out = {0, 0, 0};
        return 0;
    }
    *out = Scale(*in, 1 / len);
    return len;
}

RwReal RwV3dDotProduct(const RwV3d* a, const RwV3d* b)
{
    return a->x * b->x + a->y * b->y + a->z * b->z;
}

void RwV3dCrossProduct(RwV3d* out, const RwV3d* a, const RwV3d* b)
{
    const RwV3d r = {a->y * b->z - a->z * b->y, a->z * b->x - a->x * b->z, a->x * b->y - a->y * b->x};
    *out = r;
}
