#include "src/compiler/help_text.h"

namespace tovrin::makesis {

void printBanner(std::ostream& out) {
    out << "\nTovrin package compiler, version " TOVRIN_VERSION
           "\n"
           "Builds Series 60 installation packages (pre-9 .sis) from package scripts.\n\n";
}

void printVersion(std::ostream& out) { out << "makesis " TOVRIN_VERSION "\n"; }

void printUsage(std::ostream& out) {
    out << "Usage: makesis [-h] [-v] [-s] [-d directory] [-p password] pkgfile [sisfile]\n"
           "  -h  show this help and the script format (also --help; --version: the version)\n"
           "  -v  verbose: one line per statement and writing step\n"
           "  -s  make a stub package (records only, no file data)\n"
           "  -d  also look for source files in this folder (-dfolder or -d folder)\n"
           "  -p  accepted for compatibility; packages are never signed\n"
           "  --temp-folder PREFIX  what compressed records show before their temporary copy's\n"
           "      name (default X:\\MKS0\\, as the SDK's reference packages show)\n"
           "  --format er5|er6  the package's release: er6 (default) for Series 60 phones,\n"
           "      er5 for Psion Series 5mx, Revo and netBook (8-bit strings, data uncompressed)\n"
           "  --root folder     look for sources written from a drive's root (\\a\\b.app)\n"
           "                    below folder; those not found there also below -d's folder\n"
           "  --drive X=folder  look for sources written with the drive letter X (X:\\a\\b.app,\n"
           "                    either case) below folder; one option per letter\n"
           "  --unsigned        read and check a signature line (*\"key\",\"cert\"[,KEY=\"pw\"])\n"
           "                    and write the package unsigned; without it the line is refused\n"
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
           "  Targets starting with !: are installed on the drive the user picks.\n";
}

}  // namespace tovrin::makesis
