package Board::Messages;
# Board::Messages - the message table of a board plugin and the three ways a
# plugin speaks: progress on standard output, warnings and failures on
# standard error (the library keeps standard error in ErrorLog.txt).
#
# This file is Shift_JIS (CP932) after __DATA__; the code is ASCII. Every
# Japanese text lives in a table ("key<TAB>printf format" lines), so no
# Shift_JIS byte sits inside a Perl string literal (a trail byte 0x5C would be
# taken as an escape there). The plugin's own table (after its __END__) is
# read over the shared one below: same key, the plugin's text wins.
#
# API (all exportable; nothing is exported by default):
#   init($plugin_name, $fh)   the plugin's name (prefix of every error line)
#                             and its table (usually \*main::DATA); once, first
#   msg($key, @args)          the text of $key, sprintf'ed with @args
#                             (the key itself when no table has it)
#   progress($key, @args)     one line on standard output, CR LF
#   warning($key, @args)      "NAME: text" CR LF on standard error
#   fail($key, @args)         dies with the text (caught by run)
#   run(\&main, @args)        calls main(@args): its return value is the exit
#                             code; a death prints "NAME: message" CR LF on
#                             standard error and exits 1. Does not return.
#   plugin_name()             the name given to init
#
# Shared keys (the table below): no_ini, no_url, bad_interval, bad_timezone,
# no_dialog, http_error, http_moved, too_big, bad_coding, file_error,
# write_error, param2_error, post_failed, post_unclear, post_found,
# post_sent_again, weekdays, noname.
use strict;
use warnings;
use Exporter 'import';

our @EXPORT_OK = qw(init msg progress warning fail run plugin_name);

my %MSG;
my $PLUGIN = 'plugin';

# The shared table, read once when the module is loaded.
{
    binmode DATA;
    %MSG = read_table(\*DATA);
    close DATA;
}

sub read_table {
    my ($fh) = @_;
    my %m;
    while (my $line = <$fh>) {
        $line =~ s/\r?\n\z//;
        next if $line eq '' || $line =~ /^#/;
        my ($key, $text) = split /\t/, $line, 2;
        $m{$key} = $text if defined $text;
    }
    return %m;
}

sub init {
    my ($name, $fh) = @_;
    $PLUGIN = $name;
    if ($fh) {
        binmode $fh;
        my %own = read_table($fh);
        @MSG{keys %own} = values %own;
    }
    $| = 1;
    binmode STDOUT;
    binmode STDERR;
    return;
}

sub plugin_name { $PLUGIN }

sub msg {
    my ($key, @args) = @_;
    my $text = $MSG{$key} // $key;
    return @args ? sprintf($text, @args) : $text;
}

sub progress { print msg(@_), "\r\n" }

sub warning { print STDERR "$PLUGIN: ", msg(@_), "\r\n" }

sub fail { die msg(@_) . "\n" }

sub run {
    my ($main, @args) = @_;
    my $rc = eval { $main->(@args) };
    if (!defined $rc) {
        (my $error = $@) =~ s/\s+\z//;
        print STDERR "$PLUGIN: $error\r\n";
        exit 1;
    }
    exit $rc;
}

1;

__DATA__
# key<TAB>text (printf format), Shift_JIS
no_ini	%s がありません(グループのフォルダで実行してください)
no_url	板のアドレス(URL)が設定されていません
bad_interval	リクエストの間隔(INTERVAL_MS)はミリ秒の数字で指定してください: %s
bad_timezone	板の時間帯(TIMEZONE)は +09:00 のように指定してください: %s
no_dialog	このプラグインに [DIALOG] の定義が見つかりません
http_error	%s を取得できません: %s
http_moved	%s は移転しました: %s
too_big	%s が大きすぎます
bad_coding	%s の圧縮を解けません: %s
file_error	%s を読めません: %s
write_error	%s に書き込めません: %s
param2_error	%s の既読件数(PARAM2)を更新できません
post_failed	%s の投稿を送れませんでした(次回また送ります): %s
post_unclear	%s の投稿は届いたかどうか分かりません(次回スレッドを見て確かめます): %s
post_found	%s の投稿は板に載っていました(送り直しません)
post_sent_again	%s の投稿は板に見つからなかったので、もう一度送ります
weekdays	日,月,火,水,木,金,土
noname	名無しさん
