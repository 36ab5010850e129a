#!/usr/bin/python3
"""Checks a release's winget and Scoop manifests (scripts/make-manifests.py), offline.

Usage: scripts/check-manifests.py PRODUCT_SH DIST   (PRODUCT_SH: product.sh of the build the release came from)

- Each file against its schema: ../shared/schemas/winget-1.12.0/ and ../shared/schemas/scoop/
  beside the repository (BODYASTRO_SCHEMAS names another folder), with Debian's
  python3-jsonschema and python3-yaml, installed here if missing.
- The three winget files agree: identifier, version, manifest version, locale, and the folder
  manifests/<letter>/<Publisher>/<Name>/<version>/ they are in; the Scoop manifest has that version.
- Every download they name is a file of the release, at the product's download address, with that
  SHA-256 and its architecture; every setup is offered once per user and once for everyone, every
  zip once as a portable program, and nothing else; the program they start is the one in the zip.
- Nothing under winget/ or scoop/ but the manifests; a key given twice is refused, not read as the last.
- Each manifest is what scripts/make-manifests.py writes for this product and these files, but for
  the hashes' letter case and Scoop's "sha256:": no script, switch, dependency or key slipped in.
- In a release (with SHA256SUMS), SHA256SUMS covers the manifests with their checksums.
Anything it cannot read is refused, not a crash.
Prints each problem and exits 1 if there is any.
"""
import importlib
import importlib.util
import json
import os
import re
import subprocess
import sys
import zipfile
from pathlib import Path
from urllib.parse import unquote, urlsplit

REPO = Path(__file__).resolve().parent.parent
SCHEMAS = Path(os.environ.get("BODYASTRO_SCHEMAS", REPO.parent / "shared/schemas"))
MANIFEST_VERSION = "1.12.0"
SCOPE_SWITCHES = {"user": "/CurrentUser", "machine": "/AllUsers"}
# The bits in a download's name, and winget's and Scoop's names for its architecture.
ARCHITECTURES = {"win64": ("x64", "64bit"), "win32": ("x86", "32bit")}


def import_modules():
    try:
        return importlib.import_module("jsonschema"), importlib.import_module("yaml")
    except ImportError:
        subprocess.run([str(REPO / "scripts/install-deps.sh"), "--only", "python3-jsonschema", "python3-yaml"], check=True)
        importlib.invalidate_caches()
        return importlib.import_module("jsonschema"), importlib.import_module("yaml")


jsonschema, yaml = import_modules()


class Loader(yaml.SafeLoader):
    """Scalars read as winget reads them: no dates (ReleaseDate stays a string), and only true and
    false as booleans (YAML 1.1's yes and on, which winget refuses, stay strings)."""


BOOL = "tag:yaml.org,2002:bool"
Loader.yaml_implicit_resolvers = {
    first: [(tag, regexp) for tag, regexp in resolvers if tag not in ("tag:yaml.org,2002:timestamp", BOOL)]
    for first, resolvers in yaml.SafeLoader.yaml_implicit_resolvers.items()
}
Loader.add_implicit_resolver(BOOL, re.compile("^(?:true|True|TRUE|false|False|FALSE)$"), list("tTfF"))


class DuplicateKey(ValueError):
    pass


def unique_mapping(loader, node, deep=False):
    # PyYAML and json keep the last of a key given twice; the package managers may not.
    keys = [loader.construct_object(key, deep=deep) for key, _ in node.value]
    repeated = sorted({str(key) for key in keys if keys.count(key) > 1})
    if repeated:
        raise DuplicateKey("{} given twice".format(", ".join(repeated)))
    return yaml.SafeLoader.construct_mapping(loader, node, deep)


Loader.construct_mapping = unique_mapping


def load_yaml(text):
    # The generator writes no anchors: an alias could only make a loop or a billion copies.
    if any(isinstance(event, yaml.AliasEvent) for event in yaml.parse(text, Loader=Loader)):
        raise ValueError("an alias (*), which make-manifests.py never writes")
    return yaml.load(text, Loader=Loader)


def depth(document):
    deepest, stack = 0, [(document, 1)]
    while stack:
        value, level = stack.pop()
        deepest = max(deepest, level)
        if isinstance(value, dict):
            stack += [(inner, level + 1) for inner in value.values()]
        elif isinstance(value, list):
            stack += [(inner, level + 1) for inner in value]
    return deepest


def unique_object(pairs):
    keys = [key for key, _ in pairs]
    repeated = sorted({key for key in keys if keys.count(key) > 1})
    if repeated:
        raise DuplicateKey("{} given twice".format(", ".join(repeated)))
    return dict(pairs)


def load_maker():
    sys.dont_write_bytecode = True  # no __pycache__ left in the source tree
    spec = importlib.util.spec_from_file_location("make_manifests", REPO / "scripts/make-manifests.py")
    module = importlib.util.module_from_spec(spec)
    spec.loader.exec_module(module)
    return module


class Check:
    def __init__(self, maker, product_sh, dist):
        self.maker = maker
        self.identity = maker.read_identity(product_sh)
        self.dist = dist
        self.problems = []
        self.documents = {}
        # The release's downloads by name, with their SHA-256.
        self.release = {path.name: maker.sha256(path) for path in sorted(dist.iterdir())
                        if path.is_file() and path.suffix in (".exe", ".zip")}

    def problem(self, where, text):
        self.problems.append("{}: {}".format(where, text))

    def validate(self, where, document, schema_file):
        schema = json.loads((SCHEMAS / schema_file).read_text(encoding="utf-8"))
        validator = jsonschema.Draft7Validator(schema, format_checker=jsonschema.FormatChecker())
        for error in sorted(validator.iter_errors(document), key=lambda e: list(map(str, e.path))):
            self.problem(where, "schema: {} at /{}".format(error.message, "/".join(map(str, error.path))))

    def download(self, where, url, digest, arch, kind):
        """The release's file the URL names, if it is one, where the product says it is downloaded
        from, with that checksum and for that architecture (kind: 0 for winget's name, 1 Scoop's)."""
        name = unquote(urlsplit(str(url)).path.rsplit("/", 1)[-1])
        if name not in self.release:
            self.problem(where, "{} is not a file of the release".format(name))
            return None
        if url != self.identity["download_url"] + "/" + name:
            self.problem(where, "{} is not downloaded from {}".format(url, self.identity["download_url"]))
        # YAML reads an all-digit hash as a number, and Scoop allows a list: refused, not a crash.
        # Scoop may name the algorithm; only SHA-256 is compared.
        digest = str(digest).lower()
        if digest.removeprefix("sha256:") != self.release[name]:
            self.problem(where, "the SHA-256 of {} is not {}".format(name, digest))
        wanted = [names[kind] for bits, names in ARCHITECTURES.items() if "-{}".format(bits) in name]
        if [arch] != wanted:
            self.problem(where, "{} is for {}, not {}".format(name, "/".join(wanted) or "no architecture", arch))
        return name

    def read(self, path, parse):
        """A manifest's document, or None when it gives a key twice or does not parse."""
        self.documents[path] = None
        try:
            document = parse(path.read_text(encoding="utf-8"))
            # Ours are five deep; deeper would only exhaust the checks' recursion.
            if depth(document) > 16:
                raise ValueError("nested {} deep".format(depth(document)))
            self.documents[path] = document
        except (DuplicateKey, ValueError, yaml.YAMLError, OSError, RecursionError) as error:
            self.problem(path.relative_to(self.dist), " ".join(str(error).split())[:200] or type(error).__name__)
        return self.documents[path]

    def in_zip(self, where, name, inner):
        try:
            with zipfile.ZipFile(self.dist / name) as archive:
                if str(inner).replace("\\", "/") not in archive.namelist():
                    self.problem(where, "{} holds no {}".format(name, inner))
        except (zipfile.BadZipFile, OSError) as error:
            self.problem(where, "{}: {}".format(name, error))


def load_winget(check):
    """The winget folder and its files by ManifestType, or None."""
    folders = [path for path in check.dist.glob("winget/manifests/*/*/*/*") if path.is_dir()]
    if len(folders) != 1:
        check.problem("winget", "{} version folders, not one".format(len(folders)))
        return None, {}
    documents = {}
    for path in sorted(folders[0].iterdir()):
        where = path.relative_to(check.dist)
        if not path.is_file():
            check.problem(where, "not a manifest file")
            continue
        document = check.read(path, load_yaml)
        kind = document.get("ManifestType") if isinstance(document, dict) else None
        if kind not in ("version", "installer", "defaultLocale") or kind in documents:
            check.problem(where, "not one of the three files (ManifestType {})".format(kind))
            continue
        check.validate(where, document, "winget-1.12.0/manifest.{}.{}.json".format(kind, MANIFEST_VERSION))
        documents[kind] = (path, document)
    return folders[0], documents


def check_winget_agreement(check, folder, documents):
    version = documents["version"][1]
    # As text: YAML reads an unquoted 1.0 as a number, which the schema has already refused.
    package_id, package_version = (str(version.get(key) or "") for key in ("PackageIdentifier", "PackageVersion"))
    names = {"version": package_id + ".yaml", "installer": package_id + ".installer.yaml",
             "defaultLocale": "{}.locale.{}.yaml".format(package_id, version.get("DefaultLocale"))}
    for kind, (path, document) in documents.items():
        where = path.relative_to(check.dist)
        for key, wanted in (("PackageIdentifier", package_id), ("PackageVersion", package_version),
                            ("ManifestVersion", MANIFEST_VERSION)):
            if document.get(key) != wanted:
                check.problem(where, "{} is {!r}, not {!r}".format(key, document.get(key), wanted))
        if path.name != names[kind]:
            check.problem(where, "named {}, not {}".format(path.name, names[kind]))
    locale = documents["defaultLocale"][1].get("PackageLocale")
    if locale != version.get("DefaultLocale"):
        check.problem(documents["defaultLocale"][0].relative_to(check.dist),
                      "PackageLocale is {!r}, not the DefaultLocale {!r}".format(locale, version.get("DefaultLocale")))
    wanted = Path(check.dist, "winget/manifests", package_id[:1].lower(), *package_id.split("."), package_version)
    if folder != wanted:
        check.problem(folder.relative_to(check.dist), "not in {}".format(wanted.relative_to(check.dist)))
    return package_version


def check_installer(check, where, installer, offered):
    name = check.download(where, installer.get("InstallerUrl", ""), installer.get("InstallerSha256", ""),
                          installer.get("Architecture"), 0)
    kind = installer.get("InstallerType")
    if name is None:
        return
    if kind == "nullsoft" and name.endswith("-setup.exe"):
        way = str(installer.get("Scope"))
        switches = installer.get("InstallerSwitches") if isinstance(installer.get("InstallerSwitches"), dict) else {}
        if way not in SCOPE_SWITCHES:
            check.problem(where, "scope {}, neither user nor machine".format(way))
        elif switches.get("Custom") != SCOPE_SWITCHES[way]:
            check.problem(where, "scope {} without its switch {}".format(way, SCOPE_SWITCHES[way]))
        if way == "machine" and installer.get("ElevationRequirement") != "elevatesSelf":
            check.problem(where, "for everyone, yet not elevatesSelf")
    elif kind == "zip" and installer.get("NestedInstallerType") == "portable" and name.endswith(".zip"):
        way = "portable"
        # Exactly the program, under the name it is started by; winget would link anything named.
        program = check.identity["product_name"] + "\\" + check.identity["executable"] + ".exe"
        wanted = [{"RelativeFilePath": program, "PortableCommandAlias": check.identity["executable"]}]
        if installer.get("NestedInstallerFiles") != wanted:
            check.problem(where, "NestedInstallerFiles is {!r}, not {!r}".format(installer.get("NestedInstallerFiles"), wanted))
        check.in_zip(where, name, program)
    else:
        check.problem(where, "{} as {}: neither the setup nor the portable zip".format(name, kind))
        return
    if (name, way) in offered:
        check.problem(where, "{} is offered as {} twice".format(name, way))
    offered.add((name, way))


def check_winget(check):
    folder, documents = load_winget(check)
    if len(documents) != 3:
        check.problem("winget", "the version, installer and defaultLocale files are not all there")
        return None
    package_version = check_winget_agreement(check, folder, documents)
    path, manifest = documents["installer"]
    offered = set()
    installers = manifest.get("Installers") if isinstance(manifest.get("Installers"), list) else []
    for index, installer in enumerate(installers):
        if not isinstance(installer, dict):
            continue  # the schema has said so
        # An installer takes what the manifest's top level says unless it says otherwise.
        merged = dict({k: v for k, v in manifest.items() if k != "Installers"}, **installer)
        check_installer(check, "{} installer {}".format(path.relative_to(check.dist), index + 1), merged, offered)
    for name in check.release:
        for way in (("user", "machine") if name.endswith("-setup.exe") else ("portable",)):
            if (name, way) not in offered:
                check.problem("winget", "{} is not offered as {}".format(name, way))
    return package_version


def check_scoop(check, package_version):
    apps = sorted(path for path in check.dist.glob("scoop/*.json") if path.is_file())
    if len(apps) != 1:
        check.problem("scoop", "{} app manifests, not one".format(len(apps)))
        return
    where = apps[0].relative_to(check.dist)
    manifest = check.read(apps[0], lambda text: json.loads(text, object_pairs_hook=unique_object))
    if not isinstance(manifest, dict):
        if manifest is not None:  # else read() has said why
            check.problem(where, "not a JSON object")
        return
    check.validate(where, manifest, "scoop/schema.json")
    if package_version is not None and manifest.get("version") != package_version:
        check.problem(where, "version {!r}, not winget's {!r}".format(manifest.get("version"), package_version))
    zips = set()
    architectures = manifest.get("architecture") if isinstance(manifest.get("architecture"), dict) else {}
    if sorted(architectures) != ["32bit", "64bit"]:
        check.problem(where, "architectures {}, not 64bit and 32bit".format(sorted(architectures)))
    for arch in ("64bit", "32bit"):
        entry = architectures.get(arch) if isinstance(architectures.get(arch), dict) else {}
        name = check.download("{} {}".format(where, arch), entry.get("url", ""), entry.get("hash", ""), arch, 1)
        if name is not None:
            zips.add(name)
            check.in_zip("{} {}".format(where, arch), name, "{}/{}".format(entry.get("extract_dir"), manifest.get("bin")))
    if zips != {name for name in check.release if name.endswith(".zip")}:
        check.problem(where, "offers {}, not the release's zips".format(sorted(zips)))


def normal(value, key=None):
    """A document with its hashes as the generator writes them: lower case, no "sha256:"."""
    if isinstance(value, dict):
        return {k: normal(v, k) for k, v in value.items()}
    if isinstance(value, list):
        return [normal(v) for v in value]
    if key in ("InstallerSha256", "hash") and isinstance(value, str):
        return value.lower().removeprefix("sha256:")
    return value


def differences(actual, wanted, where=""):
    if isinstance(actual, dict) and isinstance(wanted, dict):
        found = []
        for key in sorted(set(actual) | set(wanted), key=str):
            if key not in wanted:
                found.append("{}/{} is there".format(where, key))
            elif key not in actual:
                found.append("{}/{} is missing".format(where, key))
            else:
                found += differences(actual[key], wanted[key], "{}/{}".format(where, key))
        return found
    if isinstance(actual, list) and isinstance(wanted, list) and len(actual) == len(wanted):
        return [found for index, pair in enumerate(zip(actual, wanted))
                for found in differences(*pair, "{}/{}".format(where, index + 1))]
    return [] if actual == wanted else ["{} is {!r}".format(where or "/", actual)[:200]]


def check_generated(check):
    """What the checks above do not look at (a script Scoop runs, another switch, a dependency):
    every manifest is the generator's for this product and these files."""
    maker = check.maker
    try:
        files = maker.downloads(check.identity, check.dist)
    except SystemExit as missing:
        check.problem("release", str(missing))
        return
    metainfo = maker.read_metainfo()
    folder = maker.winget_folder(check.identity)
    wanted = {folder / name: load_yaml(text)
              for name, text in maker.winget_files(check.identity, metainfo, files).items()}
    wanted[Path("scoop", maker.names(check.identity)[1] + ".json")] = json.loads(maker.scoop_manifest(check.identity, metainfo, files))
    for path, document in check.documents.items():
        where = path.relative_to(check.dist)
        if where not in wanted:
            check.problem(where, "not a manifest scripts/make-manifests.py writes")
        elif document is not None:
            for found in differences(normal(document), normal(wanted[where]))[:5]:
                check.problem(where, found + ", unlike what scripts/make-manifests.py writes")


def check_sums(check):
    """Nothing else under winget/ and scoop/, and no link: the published copy must hold what was
    checked. In a release, SHA256SUMS covers the manifests too, as sha256sum -c would read it."""
    for top in ("winget", "scoop"):
        for folder, subfolders, files in os.walk(check.dist / top):
            for name in subfolders + files:
                path = Path(folder, name)
                if path.is_symlink():
                    check.problem(path.relative_to(check.dist), "a link")
                elif not path.is_dir() and path not in check.documents:
                    check.problem(path.relative_to(check.dist), "not one of the manifests")
    sums = check.dist / "SHA256SUMS"
    if not sums.exists() and not sums.is_symlink():
        return
    if sums.is_symlink() or not sums.is_file():
        check.problem("SHA256SUMS", "not a file")
        return
    listed = {}
    for line in sums.read_bytes().decode("utf-8", "replace").splitlines():
        digest, _, name = line.partition(" ")
        name = name[1:] if name[:1] in (" ", "*") else name
        if name in listed:
            check.problem("SHA256SUMS", "lists {} twice".format(name))
        listed[name] = digest.lower()
    for path in sorted(check.documents):
        where = str(path.relative_to(check.dist))
        if where not in listed:
            check.problem("SHA256SUMS", "does not cover {}".format(where))
        elif path.is_file() and listed[where] != check.maker.sha256(path):
            check.problem("SHA256SUMS", "has another checksum for {}".format(where))


def main(argv):
    if len(argv) != 3:
        sys.exit("usage: scripts/check-manifests.py PRODUCT_SH DIST")
    if not SCHEMAS.is_dir():
        sys.exit("No manifest schemas at {} (set BODYASTRO_SCHEMAS)".format(SCHEMAS))
    if not Path(argv[1]).is_file() or not Path(argv[2]).is_dir():
        sys.exit("check-manifests: {} is not a file or {} not a folder".format(argv[1], argv[2]))
    check = Check(load_maker(), argv[1], Path(argv[2]).resolve())
    check_scoop(check, check_winget(check))
    check_generated(check)
    check_sums(check)
    sys.stdout.reconfigure(errors="backslashreplace")
    for problem in check.problems:
        print("REFUSED " + problem)
    if check.problems:
        sys.exit(1)
    print("Manifests: valid, in agreement, and true to the release's {} downloads".format(len(check.release)))


if __name__ == "__main__":
    main(sys.argv)
