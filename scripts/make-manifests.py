#!/usr/bin/env python3
"""Writes the winget and Scoop manifests of a release into its folder, beside the setups and zips.

Usage: scripts/make-manifests.py PRODUCT_SH DIST

PRODUCT_SH is product.sh from a build folder (the product's identity: names, version, where the
files are downloaded from); DIST holds the release's files, whose checksums the manifests carry.
The summary, homepage, licence and release notes are the ones the Linux package's metainfo gives.
Writes, replacing what was there:
  DIST/winget/manifests/<letter>/<Publisher>/<Name>/<version>/  the three files of schema 1.12.0
  DIST/scoop/<app>.json                                         the app manifest for a bucket
The same inputs give the same bytes: no dates, a fixed order, the YAML written here as text.
Standard library only; scripts/check-manifests.py checks the result.
"""
import hashlib
import json
import re
import shlex
import shutil
import sys
import xml.etree.ElementTree as ElementTree
from pathlib import Path

REPO = Path(__file__).resolve().parent.parent
METAINFO = REPO / "packaging/linux/com.corvanesoftware.BodyAstrology.metainfo.xml.in"
MANIFEST_VERSION = "1.12.0"
LOCALE = "en-US"
SCHEMA_URL = "https://aka.ms/winget-manifest.{}.1.12.0.schema.json"
# The Windows architectures: winget's and Scoop's names, and the bits in the downloads' names.
ARCHITECTURES = (("x64", "64bit", 64), ("x86", "32bit", 32))


def read_identity(product_sh):
    identity = {}
    for line in Path(product_sh).read_text(encoding="utf-8").splitlines():
        words = shlex.split(line, comments=True)
        if len(words) == 1 and "=" in words[0]:
            key, value = words[0].split("=", 1)
            identity[key] = value
    wanted = ("product_name", "product_publisher", "product_version", "package_name", "executable",
              "reading_suffix", "download_url")
    missing = [key for key in wanted if not identity.get(key)]
    if missing:
        sys.exit("make-manifests: {} does not give {} (reconfigure the build folder)".format(product_sh, ", ".join(missing)))
    return identity


def read_metainfo():
    root = ElementTree.parse(METAINFO).getroot()
    notes = []
    for element in root.find("releases/release/description").iter():
        text = " ".join((element.text or "").split())
        if element.tag == "p":
            notes.append(text)
        elif element.tag == "li":
            notes.append("- " + text)
    return {
        "summary": root.findtext("summary").strip(),
        "homepage": root.findtext("url[@type='homepage']").strip(),
        # LicenseRef-proprietary in SPDX terms; both package managers spell it so.
        "license": "Proprietary" if "proprietary" in root.findtext("project_license") else root.findtext("project_license"),
        "release_notes": "\n".join(notes),
    }


def sha256(path):
    digest = hashlib.sha256()
    with open(path, "rb") as stream:
        for block in iter(lambda: stream.read(1 << 20), b""):
            digest.update(block)
    return digest.hexdigest()


def names(identity):
    """The package identifier (Publisher.Name, as the program's own manifest and file type name
    it: the publisher's first word is not repeated) and the Scoop app's name."""
    publisher = identity["product_publisher"]
    name = identity["product_name"]
    maker = publisher.split()[0] + " "
    short = name[len(maker):] if name.startswith(maker) else name
    package_id = publisher.replace(" ", "") + "." + short.replace(" ", "")
    return package_id, "-".join(name.lower().split())


def downloads(identity, dist):
    """Per architecture: the setup and the zip, each as (URL, SHA-256), from the files in DIST."""
    files = {}
    for winget_arch, _, bits in ARCHITECTURES:
        stem = "{}-{}-win{}".format(identity["package_name"], identity["product_version"], bits)
        files[winget_arch] = {}
        for kind, file_name in (("setup", stem + "-setup.exe"), ("zip", stem + ".zip")):
            path = Path(dist) / file_name
            if not path.is_file():
                sys.exit("make-manifests: {} is not in {}".format(file_name, dist))
            files[winget_arch][kind] = (identity["download_url"] + "/" + file_name, sha256(path))
    return files


# --- YAML, written as text: only what the manifests use, in the order given.

PLAIN = re.compile(r"^[A-Za-z0-9/][A-Za-z0-9 ,._/:+()-]*$")
NUMBER_LIKE = re.compile(r"^[-+.]?[0-9][0-9_.:eE+-]*$")
YAML_WORDS = {"y", "n", "yes", "no", "true", "false", "on", "off", "null"}


def scalar(value):
    if isinstance(value, bool):
        return "true" if value else "false"
    # Quoted where YAML would read something else than this string (1.0 is a number).
    if (PLAIN.match(value) and not NUMBER_LIKE.match(value) and value.lower() not in YAML_WORDS
            and ": " not in value and not value.endswith(":")):
        return value
    return json.dumps(value)


def yaml_lines(mapping, pad=""):
    lines = []
    for key, value in mapping.items():
        if isinstance(value, dict):
            lines += ["{}{}:".format(pad, key)] + yaml_lines(value, pad + "  ")
        elif isinstance(value, list):
            lines.append("{}{}:".format(pad, key))
            for item in value:
                if isinstance(item, dict):
                    inner = yaml_lines(item, pad + "  ")
                    lines += [pad + "- " + inner[0][len(pad) + 2:]] + inner[1:]
                else:
                    lines.append("{}- {}".format(pad, scalar(item)))
        elif isinstance(value, str) and "\n" in value:
            lines.append("{}{}: |-".format(pad, key))
            lines += [pad + "  " + line for line in value.split("\n")]
        else:
            lines.append("{}{}: {}".format(pad, key, scalar(value)))
    return lines


def yaml_file(kind, mapping):
    header = "# yaml-language-server: $schema=" + SCHEMA_URL.format(kind)
    return "\n".join([header] + yaml_lines(mapping)) + "\n"


# --- winget

def winget_installers(identity, files):
    program = identity["executable"] + ".exe"
    installers = []
    for arch, _, _ in ARCHITECTURES:
        url, digest = files[arch]["setup"]
        for scope, switch in (("user", "/CurrentUser"), ("machine", "/AllUsers")):
            installer = {"Architecture": arch, "InstallerType": "nullsoft", "Scope": scope,
                         "InstallerUrl": url, "InstallerSha256": digest.upper(),
                         "InstallerSwitches": {"Custom": switch}}
            if scope == "machine":
                # The setup asks for the administrator itself, and only for this scope.
                installer["ElevationRequirement"] = "elevatesSelf"
            # The uninstall key's name, under HKCU or HKLM by scope.
            installer["ProductCode"] = identity["package_name"]
            installer["FileExtensions"] = [identity["reading_suffix"]]
            installers.append(installer)
        url, digest = files[arch]["zip"]
        installers.append({
            "Architecture": arch, "InstallerType": "zip", "NestedInstallerType": "portable",
            "NestedInstallerFiles": [{"RelativeFilePath": identity["product_name"] + "\\" + program,
                                      "PortableCommandAlias": identity["executable"]}],
            # The program loads the DLLs beside it: its folder goes on PATH, not a link to it.
            "ArchiveBinariesDependOnPath": True,
            "InstallerUrl": url, "InstallerSha256": digest.upper()})
    return installers


def winget_files(identity, metainfo, files):
    package_id, _ = names(identity)
    head = {"PackageIdentifier": package_id, "PackageVersion": identity["product_version"]}
    tail = {"ManifestVersion": MANIFEST_VERSION}
    version = dict(head, DefaultLocale=LOCALE, ManifestType="version", **tail)
    installer = dict(head, Installers=winget_installers(identity, files), ManifestType="installer", **tail)
    locale = dict(head, PackageLocale=LOCALE, Publisher=identity["product_publisher"],
                  PublisherUrl=metainfo["homepage"], PackageName=identity["product_name"],
                  PackageUrl=metainfo["homepage"], License=metainfo["license"],
                  ShortDescription=metainfo["summary"], Moniker=identity["executable"],
                  ReleaseNotes=metainfo["release_notes"], ManifestType="defaultLocale", **tail)
    return {
        package_id + ".yaml": yaml_file("version", version),
        package_id + ".installer.yaml": yaml_file("installer", installer),
        "{}.locale.{}.yaml".format(package_id, LOCALE): yaml_file("defaultLocale", locale),
    }


def winget_folder(identity):
    package_id, _ = names(identity)
    return Path("winget/manifests", package_id[0].lower(), *package_id.split("."), identity["product_version"])


# --- Scoop

def scoop_manifest(identity, metainfo, files):
    program = identity["executable"] + ".exe"
    architecture = {}
    for winget_arch, scoop_arch, _ in ARCHITECTURES:
        url, digest = files[winget_arch]["zip"]
        architecture[scoop_arch] = {"url": url, "hash": digest, "extract_dir": identity["product_name"]}
    manifest = {
        "version": identity["product_version"],
        "description": metainfo["summary"],
        "homepage": metainfo["homepage"],
        "license": metainfo["license"],
        "architecture": architecture,
        "bin": program,
        "shortcuts": [[program, identity["product_name"]]],
        # The portable copy's setting lives in <program folder>\<publisher>\; a folder, as the
        # setting is saved to a new file renamed over the old, which a hard link would not follow.
        "persist": identity["product_publisher"],
    }
    return json.dumps(manifest, indent=4, sort_keys=True, ensure_ascii=True) + "\n"


def main(argv):
    if len(argv) != 3:
        sys.exit("usage: scripts/make-manifests.py PRODUCT_SH DIST")
    identity = read_identity(argv[1])
    dist = Path(argv[2])
    metainfo = read_metainfo()
    files = downloads(identity, dist)
    for folder in ("winget", "scoop"):
        shutil.rmtree(dist / folder, ignore_errors=True)
    folder = dist / winget_folder(identity)
    folder.mkdir(parents=True)
    for name, text in winget_files(identity, metainfo, files).items():
        (folder / name).write_bytes(text.encode("utf-8"))
    (dist / "scoop").mkdir()
    _, app = names(identity)
    (dist / "scoop" / (app + ".json")).write_bytes(scoop_manifest(identity, metainfo, files).encode("utf-8"))
    print("Manifests: {} and scoop/{}.json".format(folder.relative_to(dist), app))


if __name__ == "__main__":
    main(sys.argv)
