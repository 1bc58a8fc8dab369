#pragma once

#include <cstdint>
#include <unordered_set>
#include <vector>

#include <tolmak.h>

#include "zunfert_export.h"
#include "zunfert_sprite.h"

/// Objects destroyed together with the world or sector that holds them, in
/// the reverse order of their adoption, through cPluginSystem::Destroy. An
/// object is adopted once; nothing else may destroy it afterwards.
class ZUNFERT_API cObjectOwner {
 public:
  cObjectOwner() = default;
  cObjectOwner(const cObjectOwner&) = delete;
  cObjectOwner& operator=(const cObjectOwner&) = delete;
  ~cObjectOwner() { DestroyAll(); }

  /// Null and objects adopted already are ignored.
  void Adopt(cObject* object);
  bool Owns(const cObject* object) const { return m_Set.count(object) != 0; }
  int GetCount() const { return static_cast<int>(m_Objects.size()); }
  void DestroyAll();

 private:
  std::vector<cObject*> m_Objects;
  std::unordered_set<const cObject*> m_Set;
};

/// The entity of the plug-in library ("cDefaultEntity"): it draws its
/// model with its materials, and it can spin about its own axes.
///
/// Stream: the engine's entity stream, then the hidden flag (a byte, which
/// the entity stream leaves out) and the spin (three floats, degrees per
/// second about X, Y and Z). Load reads the whole record before
/// anything changes: a truncated or malformed stream throws cException and
/// leaves the entity as it was, with nothing loaded for it left behind.
class ZUNFERT_API cDefaultEntity : public cEntity {
  ZUNFERT_CLASS()

 public:
  cDefaultEntity() = default;
  cDefaultEntity(const cDefaultEntity&) = default;
  cDefaultEntity& operator=(const cDefaultEntity&) = default;
  ~cDefaultEntity() override;

  /// Turns the pivot by the spin times the seconds (RotatePivot).
  void Animate(float seconds) override;
  /// Draws the model, unless the entity is hidden or invisible or has none.
  void Render(cVideo3D* video) override;

  void SetSpin(const cVector3& degreesPerSecond) { m_Spin = degreesPerSecond; }
  const cVector3& GetSpin() const { return m_Spin; }

  void Save(iIOStream& stream) override;
  void Load(iIOStream& stream) override;

 private:
  cVector3 m_Spin;
};

/// A triangle mesh ("cMeshModel"): a vertex buffer with positions (and
/// normals, a diffuse colour, texture coordinates as the game chooses) and
/// an index buffer of triangle lists, or no indices for a plain list.
///
/// The mesh is cut into subsets, ranges of indices (of vertices without an
/// index buffer) each drawn with one material of the entity: subset i with
/// GetMaterial(i), which wraps around the entity's materials. Without
/// subsets the whole mesh is one. An entity without materials is drawn in
/// the device's current state.
///
/// Stream: the model's name (cModel::Save), the vertex buffer's and the
/// index buffer's own streams, the subset count (signed 32-bit), then each
/// subset's first index and count (unsigned 32-bit each). Load checks that
/// the vertices have positions, that every index and subset stays within
/// the buffers, and throws cException otherwise, leaving the model as it was.
class ZUNFERT_API cMeshModel : public cModel {
  ZUNFERT_CLASS()

 public:
  struct cSubset {
    uint32_t m_First;
    uint32_t m_Count;
  };

  cMeshModel() = default;
  cMeshModel(const cMeshModel&) = delete;
  cMeshModel& operator=(const cMeshModel&) = delete;
  /// Releases what Compile built: the device must still exist.
  ~cMeshModel() override;

  /// Copies the geometry, drops the subsets and releases the device copies.
  /// Throws cException, changing nothing, when the vertices lack positions
  /// or an index points past them.
  void SetGeometry(const cVertexBuffer& vertices, const cIndexBuffer& indices);
  /// Appends a subset; throws cException when it passes the end of the mesh.
  void AddSubset(uint32_t first, uint32_t count);

  /// Shapes centred on the origin, replacing the geometry as SetGeometry
  /// does: positions, normals and one set of texture coordinates (0 to 1
  /// across each face or around the shape), every triangle clockwise as seen
  /// from outside, the winding the device draws by default. Too few or too
  /// many divisions throw cException with the mesh as it was.
  ///
  /// A box of the size given, six subsets of one face each, in the order
  /// -X, +X, -Y, +Y, -Z, +Z (so six materials give each face its own).
  void SetBox(const cVector3& size);
  /// A sphere of rings from pole to pole (+Y first) and segments around.
  void SetSphere(float radius, int rings, int segments);
  /// A closed cylinder along Y: subsets side, top (+Y) and bottom.
  void SetCylinder(float radius, float height, int segments);
  /// A square of side size in the XZ plane facing +Y, cells by cells, its
  /// texture repeated repeat times across.
  void SetGrid(float size, int cells, float repeat = 1);
  /// A ring of radius major around Y, its tube of radius minor.
  void SetTorus(float major, float minor, int segments, int sides);
  const cVertexBuffer& GetVertices() const { return m_Vertices; }
  const cIndexBuffer& GetIndices() const { return m_Indices; }
  const std::vector<cSubset>& GetSubsets() const { return m_Subsets; }

  /// Device copies of the buffers, drawn instead of the buffers themselves.
  void Compile(cVideo3D* video) override;
  void Release() override;
  /// World matrix: the entity's offset, then its world matrix.
  void Render(cVideo3D* video, cEntity* entity) override;
  int GetNumberOfVertices() const override { return static_cast<int>(m_Vertices.GetLength()); }
  int GetNumberOfFaces() const override { return static_cast<int>(GetDrawnCount() / 3); }
  void GetBoundingBox(cBoundingBox3& box) const override;
  void GetBoundingSphere(cBoundingSphere& sphere) const override;

  void Save(iIOStream& stream) override;
  void Load(iIOStream& stream) override;

 private:
  /// Indices, or vertices when there are no indices.
  uint32_t GetDrawnCount() const;
  void DrawRange(cVideo3D* video, uint32_t first, uint32_t count);
  void UpdateBounds();

  cVertexBuffer m_Vertices;
  cIndexBuffer m_Indices;
  std::vector<cSubset> m_Subsets;
  cBoundingBox3 m_Box;
  cVideo3D* m_Video = nullptr;
  hVertexBuffer* m_DeviceVertices = nullptr;
  hIndexBuffer* m_DeviceIndices = nullptr;
};

/// A material ("cDefaultMaterial"): diffuse, ambient, specular and emissive
/// colours with a specular power, and one texture, a memory sprite the
/// material holds itself (load a picture into it with
/// cApplicationEx::LoadImage). A sprite of several frames is played at the
/// frame rate, looping.
///
/// The texture is stored inline, so that a saved scene needs no picture
/// files and comes back exactly as it was saved. Stream: the name (text),
/// the four colours (alpha, red, green, blue as floats each), the power, the
/// filter and the address mode (signed 32-bit each), the frame rate
/// (float), a byte (0: no texture, 1: a texture follows, 2: one whose
/// colour key is enabled) and then the sprite's own stream
/// (cMemorySprite::Save). Load reads it all before anything changes and
/// throws cException on a truncated or malformed stream.
///
/// A diffuse alpha below 1 makes the material transparent: it blends over
/// what lies behind it without writing depth.
class ZUNFERT_API cDefaultMaterial : public cMaterial {
  ZUNFERT_CLASS()

 public:
  /// White diffuse and ambient, black specular and emissive, power 20,
  /// bilinear filter, wrap addressing, no texture.
  cDefaultMaterial();
  cDefaultMaterial(const cDefaultMaterial&) = delete;
  cDefaultMaterial& operator=(const cDefaultMaterial&) = delete;
  /// Releases what Compile built: the device must still exist.
  ~cDefaultMaterial() override;

  void SetDiffuse(const cColor& color) { m_Diffuse = color; }
  void SetAmbient(const cColor& color) { m_Ambient = color; }
  void SetSpecular(const cColor& color) { m_Specular = color; }
  void SetEmissive(const cColor& color) { m_Emissive = color; }
  void SetPower(float power) { m_Power = power; }
  const cColor& GetDiffuse() const { return m_Diffuse; }
  const cColor& GetAmbient() const { return m_Ambient; }
  const cColor& GetSpecular() const { return m_Specular; }
  const cColor& GetEmissive() const { return m_Emissive; }
  float GetPower() const { return m_Power; }
  void SetFilter(cVideo3D::EFilter filter) { m_Filter = filter; }
  cVideo3D::EFilter GetFilter() const { return m_Filter; }
  void SetAddressMode(cVideo3D::EAddressMode mode) { m_AddressMode = mode; }
  cVideo3D::EAddressMode GetAddressMode() const { return m_AddressMode; }
  void SetFrameRate(float framesPerSecond) { m_FrameRate = framesPerSecond; }
  float GetFrameRate() const { return m_FrameRate; }
  /// The texture's sprite, to load a picture into; a change reaches the
  /// device at the next Compile.
  cMemorySprite* GetTextureSprite() { return &m_Texture; }

  /// Creates the device texture from the sprite's current frame.
  void Compile(cVideo3D* video) override;
  void Release() override;
  /// Advances the texture's animation.
  void Animate(float seconds) override;
  int GetNumberOfPasses() const override { return 1; }
  /// Sets the material colours, lighting from them rather than from the
  /// vertices' colours, the texture on stage 0 (modulating the lit colour)
  /// and, when transparent, alpha blending without depth writes. Compiles
  /// for the device first when needed.
  void BeginPass(cVideo3D* video, int pass) override;
  /// Takes the texture off stage 0 and gives the device back its own
  /// colour sources, blending and depth writes.
  void EndPass(cVideo3D* video, int pass) override;
  bool IsTransparent() const override { return m_Diffuse.GetAlpha() < 1.0f; }
  /// The sprite on stage 0 when it has frames, else null.
  cSprite* GetTexture(int stage) const override;
  /// The frame shown now.
  int GetFrame() const;

  void Save(iIOStream& stream) override;
  void Load(iIOStream& stream) override;

 private:
  cColor m_Diffuse, m_Ambient, m_Specular, m_Emissive;
  float m_Power = 20.0f;
  cVideo3D::EFilter m_Filter = cVideo3D::EFilter::Bilinear;
  cVideo3D::EAddressMode m_AddressMode = cVideo3D::EAddressMode::Wrap;
  float m_FrameRate = 0.0f;
  double m_Time = 0.0;
  cMemorySprite m_Texture;
  cVideo3D* m_Video = nullptr;
  cSurface* m_Surface = nullptr;
  int m_SurfaceFrame = 0;
};

/// A sector ("cDefaultSector"): it animates and draws the entity tree under
/// its root. Drawing walks the tree depth first without recursion, skips
/// hidden entities with their subtrees, and skips models whose bounding
/// sphere lies outside the selected camera's view.
///
/// Stream: the name (text), the flag (a byte; the sector is animated and
/// drawn only while it is set), then a byte 1 and the root's URL (the
/// stream's location followed by the root's name, where the root is stored
/// through cPluginSystem::SavePlugin) when there is a root.
///
/// A loaded sector owns the tree it loaded, with every material and model
/// of it, and destroys them with itself. The tree is linked (SetRoot, the
/// children's sectors, the world's registrations of entities and
/// materials) at once when the sector belongs to a world, else by
/// LinkLoadedTree once it does (cDefaultWorld's Load calls it).
class ZUNFERT_API cDefaultSector : public cSector {
  ZUNFERT_CLASS()

 public:
  cDefaultSector() = default;
  cDefaultSector(const cDefaultSector&) = delete;
  cDefaultSector& operator=(const cDefaultSector&) = delete;
  ~cDefaultSector() override;

  void Animate(float seconds) override;
  void Render(cVideo3D* video) override;

  bool IsEnabled() const { return m_Flag; }
  void Enable(bool enable) { m_Flag = enable; }
  /// The root, also while a loaded tree waits for a world.
  cEntity* GetTreeRoot() const { return m_PendingRoot ? m_PendingRoot : GetRoot(); }
  /// Links a loaded tree to the sector's world; nothing without either.
  void LinkLoadedTree();
  cObjectOwner& GetOwner() { return m_Owner; }

  void Save(iIOStream& stream) override;
  /// Reads the whole record first; a truncated or malformed stream throws
  /// cException and leaves the sector as it was. A root that cannot be
  /// loaded (a missing file) is left out.
  void Load(iIOStream& stream) override;

 private:
  cEntity* m_PendingRoot = nullptr;
  cObjectOwner m_Owner;
};

/// A world ("cDefaultWorld"): it animates and draws its root sector with the
/// selected camera and its lights, and it owns what it is given to own.
///
/// Drawing: the camera's frustum info (GetFrustumInfo) gives the projection
/// and view matrices; the registered lights that are not hidden take the
/// device's light slots, highest priority first and then by name, as many
/// as the device has; then the root sector draws.
///
/// Stream: the name (text), the ambient light (alpha, red, green, blue as
/// floats), the selected camera's name (text, empty for none), then a byte
/// 1 and the root sector's URL when there is one (stored through
/// cPluginSystem::SavePlugin beside the world's own file). Every object of
/// a scene is saved in a file named after it, beside the world's: Save
/// throws cException, before it writes anything, when an object of the
/// scene has no name or shares one with another object or with the
/// world's own file. Load re-creates the sector and its tree, links them,
/// registers their materials and selects the camera by name; the world owns
/// what it loaded.
class ZUNFERT_API cDefaultWorld : public cWorld {
  ZUNFERT_CLASS()

 public:
  cDefaultWorld();
  cDefaultWorld(const cDefaultWorld&) = delete;
  cDefaultWorld& operator=(const cDefaultWorld&) = delete;
  /// Destroys what the world owns, then unlinks the rest.
  ~cDefaultWorld() override;

  using cWorld::SetVideo;
  /// Makes the world destroy the object with itself (see cObjectOwner).
  void Adopt(cObject* object) { m_Owner.Adopt(object); }
  /// A new object of the plug-in class T ("cMeshModel" for cMeshModel),
  /// created through the plug-in system, named and owned by the world:
  ///     auto* box = world->Make<cMeshModel>("Box");
  template <class T>
  T* Make(const cString& name) {
    T* object = cPluginSystem::GetInstance()->Create<T>(T::Descriptor()->GetClassName());
    Adopt(object);
    object->SetName(name);
    return object;
  }
  cObjectOwner& GetOwner() { return m_Owner; }

  void SetAmbientLight(const cColor& color) { m_Ambient = color; }
  const cColor& GetAmbientLight() const { return m_Ambient; }

  /// The root sector, then every registered material.
  void Animate(float seconds) override;
  /// Draws with the device given, or with the world's own when it is null.
  /// A world without a selected camera draws with the device's matrices,
  /// and one with entities whose world matrices are out of date draws them
  /// where they were; each says so once with a trace line.
  void Render(cVideo3D* video) override;
  /// One frame of a game loop on the world's own device: Animate by the
  /// seconds, cEntity::UpdateMatrices, then BeginScene, Clear (colour and
  /// depth), Render, EndScene and Flip. False, with a trace line, when the
  /// world has no initialised device or the device cannot present.
  bool Step(float seconds);

  void Save(iIOStream& stream) override;
  void Load(iIOStream& stream) override;

 private:
  void SetCamera(cVideo3D* video);
  void SetLights(cVideo3D* video);
  /// Throws when two objects of the scene would be saved in one file.
  void CheckFileNames(const cString& ownFile);

  cColor m_Ambient;
  int m_LightsSet = 0;
  // Mistakes that repeat every frame are traced once.
  bool m_ToldNoCamera = false;
  bool m_ToldStaleMatrices = false;
  cObjectOwner m_Owner;
};

/// The camera of the plug-in library ("cDefaultCamera").
///
/// Stream: the engine's entity stream, then the hidden flag (a byte), the
/// field of view, the horizon and the aspect ratio (floats). Load reads the
/// whole record before anything changes, as cDefaultEntity's does.
class ZUNFERT_API cDefaultCamera : public cCamera {
  ZUNFERT_CLASS()

 public:
  cDefaultCamera() = default;
  cDefaultCamera(const cDefaultCamera&) = default;
  cDefaultCamera& operator=(const cDefaultCamera&) = default;
  ~cDefaultCamera() override;

  /// A camera neither moves by itself nor draws anything.
  void Animate(float /*seconds*/) override {}
  void Render(cVideo3D* /*video*/) override {}

  void Save(iIOStream& stream) override;
  void Load(iIOStream& stream) override;
};

/// What the three lights of the plug-in library share: the kind is fixed
/// by the class, and the hidden flag (a byte) and the light's values follow
/// the entity stream: ambient, diffuse and specular colours (alpha, red, green, blue as floats
/// each), range, falloff, constant, linear and quadratic attenuation, theta and phi (floats),
/// priority (signed 32-bit). Load reads the whole record before anything
/// changes and restores theta and phi as they were saved, even when theta
/// exceeds phi.
class ZUNFERT_API cDefaultLight : public cLight {
 public:
  ~cDefaultLight() override;

  void Animate(float /*seconds*/) override {}
  void Render(cVideo3D* /*video*/) override {}

  void Save(iIOStream& stream) override;
  void Load(iIOStream& stream) override;

 protected:
  explicit cDefaultLight(cVideo3D::ELight type) { SetType(static_cast<int>(type)); }
  cDefaultLight(const cDefaultLight&) = default;
  cDefaultLight& operator=(const cDefaultLight&) = default;
};

/// A point light shining in every direction ("cOmniLight").
class ZUNFERT_API cOmniLight : public cDefaultLight {
  ZUNFERT_CLASS()

 public:
  cOmniLight() : cDefaultLight(cVideo3D::ELight::Omni) {}
  ~cOmniLight() override;
};

/// A light cone from the light's position along its Z axis ("cSpotLight").
class ZUNFERT_API cSpotLight : public cDefaultLight {
  ZUNFERT_CLASS()

 public:
  cSpotLight() : cDefaultLight(cVideo3D::ELight::Spot) {}
  ~cSpotLight() override;
};

/// Parallel light along the light's Z axis ("cDirectionalLight").
class ZUNFERT_API cDirectionalLight : public cDefaultLight {
  ZUNFERT_CLASS()

 public:
  cDirectionalLight() : cDefaultLight(cVideo3D::ELight::Directional) {}
  ~cDirectionalLight() override;
};
