#!/usr/bin/python3
"""Checks a release's winget and Scoop manifests (scripts/make-manifests.py), offline.

Usage: scripts/check-manifests.py DIST

- Each file against its schema: ../shared/schemas/winget-1.12.0/ and ../shared/schemas/scoop/
  beside the repository (BODYASTRO_SCHEMAS names another folder), with Debian's
  python3-jsonschema and python3-yaml, installed here if missing.
- The three winget files agree: identifier, version, manifest version, locale, and the folder
  manifests/<letter>/<Publisher>/<Name>/<version>/ they are in; the Scoop manifest has that version.
- Every download they name is a file of the release, with that SHA-256; every setup is offered
  per user and for everyone, every zip as a portable program; the program they start is in the zip.
- In a release (with SHA256SUMS), SHA256SUMS covers the manifests.
Prints each problem and exits 1 if there is any.
"""
import hashlib
import importlib
import json
import os
import subprocess
import sys
import zipfile
from pathlib import Path
from urllib.parse import unquote, urlsplit

REPO = Path(__file__).resolve().parent.parent
SCHEMAS = Path(os.environ.get("BODYASTRO_SCHEMAS", REPO.parent / "shared/schemas"))
MANIFEST_VERSION = "1.12.0"
SCOPE_SWITCHES = {"user": "/CurrentUser", "machine": "/AllUsers"}


def import_modules():
    try:
        return importlib.import_module("jsonschema"), importlib.import_module("yaml")
    except ImportError:
        subprocess.run([str(REPO / "scripts/install-deps.sh"), "--only", "python3-jsonschema", "python3-yaml"], check=True)
        importlib.invalidate_caches()
        return importlib.import_module("jsonschema"), importlib.import_module("yaml")


jsonschema, yaml = import_modules()


class Loader(yaml.SafeLoader):
    """Every scalar the schema wants as a string stays one: no dates (ReleaseDate)."""


Loader.yaml_implicit_resolvers = {
    first: [(tag, regexp) for tag, regexp in resolvers if tag != "tag:yaml.org,2002:timestamp"]
    for first, resolvers in yaml.SafeLoader.yaml_implicit_resolvers.items()
}


class Check:
    def __init__(self, dist):
        self.dist = dist
        self.problems = []
        # The release's downloads by name, with their SHA-256.
        self.release = {path.name: sha256(path) for path in sorted(dist.iterdir())
                        if path.is_file() and path.suffix in (".exe", ".zip")}

    def problem(self, where, text):
        self.problems.append("{}: {}".format(where, text))

    def validate(self, where, document, schema_file):
        schema = json.loads((SCHEMAS / schema_file).read_text(encoding="utf-8"))
        validator = jsonschema.Draft7Validator(schema, format_checker=jsonschema.FormatChecker())
        for error in sorted(validator.iter_errors(document), key=lambda e: list(map(str, e.path))):
            self.problem(where, "schema: {} at /{}".format(error.message, "/".join(map(str, error.path))))

    def download(self, where, url, digest):
        """The release's file the URL names, if it is one and has that checksum."""
        name = unquote(urlsplit(url).path.rsplit("/", 1)[-1])
        if name not in self.release:
            self.problem(where, "{} is not a file of the release".format(name))
            return None
        # YAML reads an all-digit hash as a number, and Scoop allows a list: refused, not a crash.
        if str(digest).lower() != self.release[name]:
            self.problem(where, "the SHA-256 of {} is not {}".format(name, digest))
        return name

    def in_zip(self, where, name, inner):
        with zipfile.ZipFile(self.dist / name) as archive:
            if inner.replace("\\", "/") not in archive.namelist():
                self.problem(where, "{} holds no {}".format(name, inner))


def sha256(path):
    digest = hashlib.sha256()
    with open(path, "rb") as stream:
        for block in iter(lambda: stream.read(1 << 20), b""):
            digest.update(block)
    return digest.hexdigest()


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
        document = yaml.load(path.read_text(encoding="utf-8"), Loader=Loader)
        kind = document.get("ManifestType") if isinstance(document, dict) else None
        if kind not in ("version", "installer", "defaultLocale") or kind in documents:
            check.problem(where, "not one of the three files (ManifestType {})".format(kind))
            continue
        check.validate(where, document, "winget-1.12.0/manifest.{}.{}.json".format(kind, MANIFEST_VERSION))
        documents[kind] = (path, document)
    return folders[0], documents


def check_winget_agreement(check, folder, documents):
    version = documents["version"][1]
    package_id, package_version = version.get("PackageIdentifier", ""), version.get("PackageVersion", "")
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
    wanted = Path(check.dist, "winget/manifests", package_id[:1].lower(), *package_id.split("."), package_version)
    if folder != wanted:
        check.problem(folder.relative_to(check.dist), "not in {}".format(wanted.relative_to(check.dist)))
    return package_version


def check_installer(check, where, installer, offered):
    name = check.download(where, installer.get("InstallerUrl", ""), installer.get("InstallerSha256", ""))
    kind = installer.get("InstallerType")
    if name is None:
        return
    if kind == "nullsoft":
        scope = installer.get("Scope")
        if installer.get("InstallerSwitches", {}).get("Custom") != SCOPE_SWITCHES.get(scope):
            check.problem(where, "scope {} without its switch {}".format(scope, SCOPE_SWITCHES.get(scope)))
        if scope == "machine" and installer.get("ElevationRequirement") != "elevatesSelf":
            check.problem(where, "for everyone, yet not elevatesSelf")
        offered.add((name, scope))
    elif kind == "zip" and installer.get("NestedInstallerType") == "portable":
        for nested in installer.get("NestedInstallerFiles") or []:
            check.in_zip(where, name, nested.get("RelativeFilePath", ""))
        offered.add((name, "portable"))


def check_winget(check):
    folder, documents = load_winget(check)
    if len(documents) != 3:
        check.problem("winget", "the version, installer and defaultLocale files are not all there")
        return None
    package_version = check_winget_agreement(check, folder, documents)
    path, manifest = documents["installer"]
    offered = set()
    for index, installer in enumerate(manifest.get("Installers", [])):
        # An installer takes what the manifest's top level says unless it says otherwise.
        merged = dict({k: v for k, v in manifest.items() if k != "Installers"}, **installer)
        check_installer(check, "{} installer {}".format(path.relative_to(check.dist), index + 1), merged, offered)
    for name in check.release:
        for way in (("user", "machine") if name.endswith("-setup.exe") else ("portable",)):
            if (name, way) not in offered:
                check.problem("winget", "{} is not offered as {}".format(name, way))
    return package_version


def check_scoop(check, package_version):
    apps = sorted(check.dist.glob("scoop/*.json"))
    if len(apps) != 1:
        check.problem("scoop", "{} app manifests, not one".format(len(apps)))
        return
    where = apps[0].relative_to(check.dist)
    manifest = json.loads(apps[0].read_text(encoding="utf-8"))
    check.validate(where, manifest, "scoop/schema.json")
    if package_version is not None and manifest.get("version") != package_version:
        check.problem(where, "version {!r}, not winget's {!r}".format(manifest.get("version"), package_version))
    zips = set()
    for arch in ("64bit", "32bit"):
        entry = manifest.get("architecture", {}).get(arch, {})
        name = check.download("{} {}".format(where, arch), entry.get("url", ""), entry.get("hash", ""))
        if name is not None:
            zips.add(name)
            check.in_zip("{} {}".format(where, arch), name, "{}/{}".format(entry.get("extract_dir"), manifest.get("bin")))
    if zips != {name for name in check.release if name.endswith(".zip")}:
        check.problem(where, "offers {}, not the release's zips".format(sorted(zips)))


def check_sums(check):
    """In a release, SHA256SUMS covers the manifests too."""
    sums = check.dist / "SHA256SUMS"
    if not sums.is_file():
        return
    listed = {line.split(None, 1)[1].lstrip("*") for line in sums.read_text(encoding="utf-8").splitlines() if line.strip()}
    for path in sorted(check.dist.glob("winget/**/*")) + sorted(check.dist.glob("scoop/*")):
        if path.is_file() and str(path.relative_to(check.dist)) not in listed:
            check.problem("SHA256SUMS", "does not cover {}".format(path.relative_to(check.dist)))


def main(argv):
    if len(argv) != 2:
        sys.exit("usage: scripts/check-manifests.py DIST")
    if not SCHEMAS.is_dir():
        sys.exit("No manifest schemas at {} (set BODYASTRO_SCHEMAS)".format(SCHEMAS))
    check = Check(Path(argv[1]).resolve())
    check_scoop(check, check_winget(check))
    check_sums(check)
    for problem in check.problems:
        print("REFUSED " + problem)
    if check.problems:
        sys.exit(1)
    print("Manifests: valid, in agreement, and true to the release's {} downloads".format(len(check.release)))


if __name__ == "__main__":
    main(sys.argv)
