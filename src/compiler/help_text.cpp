#include "src/compiler/help_text.h"

namespace tovrin::makesis {

void printBanner(std::ostream& out) {
    out << "\nTovrin package compiler, version " TOVRIN_VERSION
           "\n"
           "Builds Series 60 installation packages (pre-9 and Symbian 9 .sis) from package\n"
           "scripts.\n\n";
}

void printVersion(std::ostream& out) { out << "makesis " TOVRIN_VERSION "\n"; }

void printUsage(std::ostream& out) {
    out << "Usage: makesis [-h] [-v] [-s] [-d directory] [-p password] [--time T] pkgfile "
           "[sisfile]\n"
           "  -h  show this help and the script format (also --help; --version: the version)\n"
           "  -v  verbose: one line per statement and writing step\n"
           "  -s  make a stub package (records only, no file data); for Symbian 9 a ROM stub:\n"
           "      the controller alone, stamped 2004-01-01 00:00:00\n"
           "  -d  also look for source files in this folder (-dfolder or -d folder)\n"
           "  -p  accepted for compatibility; packages are never signed\n"
           "  --temp-folder PREFIX  what compressed records show before their temporary copy's\n"
           "      name (default X:\\MKS0\\, as the SDK's reference packages show)\n"
           "  --format er5|er6|sis9  the package's release: er6 for Series 60 phones before\n"
           "      S60 3rd edition, er5 for Psion Series 5mx, Revo and netBook (8-bit strings,\n"
           "      data uncompressed), sis9 for Symbian 9 (S60 3rd edition and later); without\n"
           "      it a script with a vendor line (%{...} or :\"...\") or a platform in square\n"
           "      brackets is built as sis9, any other as er6\n"
           "  --time YYYY-MM-DDTHH:MM:SS  the creation time a Symbian 9 package stores (UTC);\n"
           "      without it SOURCE_DATE_EPOCH if set, else now\n"
           "  --no-system-mark  Symbian 9: leave off option bit 0x8000, which SDK compilers\n"
           "      since about 2013 set on files installed below \\sys\\ and \\resource\\ and older\n"
           "      ones did not; use it to rebuild a package such a compiler made\n"
           "  --root folder     look for sources written from a drive's root (\\a\\b.app)\n"
           "                    below folder; those not found there also below -d's folder\n"
           "  --drive X=folder  look for sources written with the drive letter X (X:\\a\\b.app,\n"
           "                    either case) below folder; one option per letter\n"
           "  --unsigned        read and check a signature line (*\"key\",\"cert\"[,KEY=\"pw\"])\n"
           "                    and write the package unsigned; without it the line is refused\n"
           "                    (Symbian 9 scripts: the line is always ignored with a warning;\n"
           "                    sign the package with sissign)\n"
           "  sisfile defaults to the script's name with .sis, beside the script\n";
}

void printFormatHelp(std::ostream& out) {
    printUsage(out);
    out << "\nScript format (one statement per line; ';' starts a comment):\n"
           "  &EN,FR                                  languages (default: EN)\n"
           "  #{\"Name EN\",\"Name "
           "FR\"},(0xUID),major,minor,build[,NC][,SH][,TYPE=SA|SY|SO|SC|SP|SU]\n"
           "  (0xUID),major,minor,build,{\"Name EN\",\"Name FR\"}      requisite\n"
           "  \"source\"-\"target\"[,FF|FT[,TC|TS|TA|TE]|FR[,RI|RR|RB][,RS|RW]|FN|FM,\"type\"]\n"
           "  {\"source EN\" \"source FR\"}-\"target\"[,options]   one file per language\n"
           "  @\"component.sis\",(0xUID)                 embedded package\n"
           "  IF cond / ELSEIF cond / ELSE / ENDIF      cond: attribute=number, EXISTS(\"file\"),\n"
           "                                          AND, OR, NOT, (), = <> > < >= <=;\n"
           "                                          an attribute or number alone: not zero\n"
           "  !({\"Option 1 EN\",\"Option 1 FR\"},...)     options list\n"
           "  *\"key\",\"cert\"[,KEY=\"password\"]          signature: needs --unsigned, not used\n"
           "  +(key=value,...)                        capabilities\n"
           "  Strings are in double quotes; <n> outside the quotes is the character with code n.\n"
           "  Targets starting with !: are installed on the drive the user picks.\n"
           "\nSymbian 9 scripts add or change:\n"
           "  &EN,FR(n)                               languages; n: the dialect stored instead\n"
           "  #{...},(0xUID),major,minor,build[,TYPE=SA|SP|PU|PA|PP][,NR][,RU][,NC]\n"
           "  %{\"Vendor EN\",\"Vendor FR\"}              localised vendor names\n"
           "  :\"Vendor\"                               unique vendor name (required)\n"
           "  [0xUID],major,minor,build[~major,minor,build],{\"name\",...}   platform\n"
           "  (0xUID),major,minor,build[~major,minor,build],{\"name\",...}   package\n"
           "                                          (* for any version part)\n"
           "  +(key=value,...)                        properties\n"
           "  =\"logo\",\"mime/type\",\"target\"            logo\n"
           "  IF conditions also take package(0xUID), appprop(0xUID,key),\n"
           "     version(0xUID,relation,major,minor,build), supported_language = n, optionN,\n"
           "     strings; a language block becomes IF/ELSEIF on LANGUAGE\n"
           "  The capabilities of an executable are read from its image header.\n"
           "  Packages are written unsigned: a phone needs them signed (sissign).\n";
}

}  // namespace tovrin::makesis
