#!/usr/bin/perl
# Bytes a receive of the sample text-board plugin costs, counted by the test
# board server on 127.0.0.1, beside whole-file fetches of the same files with
# curl in the same run (what a reader without conditions or ranges pays).
# The board: one thread of 1,000 posts and 199 threads of 20, posts of varied
# text (repeated text would flatter the compression of whole files).
#   bench/textboard_bytes.pl [PERL]
use strict;
use warnings;
use utf8;
use Encode qw(encode);
use File::Basename qw(dirname);
use File::Path qw(make_path);
use File::Spec;
use File::Temp qw(tempdir);

my $perl   = shift // $^X;
my $top    = File::Spec->rel2abs(dirname(__FILE__) . '/..');
my $plugin = "$top/plugins/cm_TEXTBOARD.PL";
my $tmp    = tempdir(CLEANUP => 1);

sub spew {
    my ($path, $bytes, $append) = @_;
    open my $fh, $append ? '>>:raw' : '>:raw', $path or die "$path: $!";
    print {$fh} $bytes;
    close $fh;
}

# Modification times in the past, each change a later one (see the tests).
my $clock = time - 100_000;
sub touch { $clock += 10; utime $clock, $clock, @_ }

my $board = "$tmp/www/b";
make_path("$board/dat");
my @words = map { encode('cp932', $_) } qw(今日は 天気が 良い 桜が 咲いた 電車が 遅れて 昼ごはんは カレー
    そうですね なるほど 確かに 本当に それは 知らなかった 明日も 晴れ ありがとう 助かります 了解です
    ところで 駅前の 店が 閉まった らしい 新しい 話題 ですが どう 思いますか 自分は 賛成 反対 です);
my $seed = 12345;
sub pick { $seed = ($seed * 1103515245 + 12345) % 2**31; $words[$seed % @words] }
sub post {
    my ($no) = @_;
    my $body = join ' <br> ', map { join '', map { pick() } 1 .. 8 } 1 .. 3;
    return encode('cp932', '名無しさん') . sprintf("<>sage<>2024/04/01(%s) 12:%02d:%02d.%02d ID:%08X<> %s <>\n",
        encode('cp932', '月'), $no / 60 % 60, $no % 60, $no % 100, $seed, $body);
}
my %threads = (1700000000 => 1000, map { 1700000000 + 100 * $_ => 20 } 1 .. 199);
my $subject = '';
for my $key (sort { $b <=> $a } keys %threads) {
    spew("$board/dat/$key.dat", join '', map { post($_) } 1 .. $threads{$key});
    $subject .= "$key.dat<>" . encode('cp932', "スレッド$key") . " ($threads{$key})\n";
}
spew("$board/subject.txt", $subject);
spew("$board/SETTING.TXT", encode('cp932', "BBS_TITLE=計測用の板\n"));
touch(glob("$board/*"), glob("$board/dat/*"));

my $log = "$tmp/server.log";
my $pid = open my $server, '-|', $perl, "$top/tests/boards/board_server.pl", "$tmp/www", $log or die $!;
chomp(my $port = <$server>);
my $url = "http://127.0.0.1:$port/b/";

# Bytes the server sent since the last call, and the requests' statuses.
sub sent {
    open my $fh, '<', $log or return (0, '');
    my ($bytes, @status) = (0);
    while (<$fh>) {
        my @f = split /\t/;
        $bytes += $f[5];
        push @status, $f[4];
    }
    close $fh;
    unlink $log;
    return ($bytes, join ' ', @status);
}

my $group = "$tmp/group";
make_path($group);
spew("$group/drwa_BBS.ini", "[BASIC]\r\nURL=$url\r\nINTERVAL_MS=0\r\n");
sub receive {
    system("cd '$group' && '$perl' '$plugin' > /dev/null") == 0 or die "plugin failed\n";
    unlink "$group/b.cm\$";
    return sent();
}
sub whole {
    system('curl', '-s', map { ('-o', '/dev/null', "$url$_") } @_) == 0 or die "curl failed\n";
    return sent();
}

my @rows;
push @rows, ['first receive (everything)', receive(), whole('subject.txt', 'SETTING.TXT', map { "dat/$_.dat" } keys %threads)];
push @rows, ['unchanged board', receive(), whole('subject.txt')];
my $post = post(1001);
spew("$board/dat/1700000000.dat", $post, 1);
(my $changed = $subject) =~ s/\(1000\)/(1001)/;
spew("$board/subject.txt", $changed);
touch("$board/dat/1700000000.dat", "$board/subject.txt");
push @rows, ['one new post in the 1,000-post thread', receive(), whole('subject.txt', 'SETTING.TXT', 'dat/1700000000.dat')];

printf "post size %d bytes, 1,000-post thread %d bytes, board %d threads\n",
       length $post, -s "$board/dat/1700000000.dat", scalar keys %threads;
printf "%-40s %10s %12s %8s   %s\n", 'receive', 'plugin', 'whole files', 'ratio', 'plugin\'s answers';
for (@rows) {
    my ($what, $bytes, $answers, $peer) = @$_;
    my %n;
    $n{$_}++ for split ' ', $answers;
    printf "%-40s %10d %12d %8.4f   %s\n", $what, $bytes, $peer, $bytes / $peer, join ' ', map { "$n{$_} x $_" } sort keys %n;
}

# Closing the server's pipe waits for the server: end it first.
kill 'TERM', $pid;
close $server;
